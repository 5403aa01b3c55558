// The start-up sequence run whole, with a settings store of its own and the
// dialogs answered by the test.
#include "AboutMorvane.h"
#include "AppServices.h"
#include "AppShell.h"
#include "EditorWindow.h"
#include "TMainForm.h"
#include "EncodedVoice.h"
#include "InProcessMidiBackend.h"
#include "MessageDialogs.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "Settings.h"
#include "TSetDevices.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"
#include "VoiceParameters.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <stdexcept>

namespace morvane {
namespace {

const QStringList kMadeInOrder{
    "Settings", "MidiPort", "VoiceData", "VoiceLibrary", "application title", "TMainForm",
    "TSetDevices", "TSetDevices.populate",
};

// The values the program stores: the six settings, the two devices' names,
// which the start-up takes from the places the devices were found at, and
// the main window's place.
constexpr int kStoredValues = 9;

// Ends the event loop as soon as it runs.
void quitWhenRunning(const QString& step)
{
    if (step == QLatin1String("event loop"))
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

// Closes the device dialog of the first run with its "&Okay".
bool answerDevices(QDialog& shown)
{
    auto* devices = qobject_cast<TSetDevices*>(&shown);
    if (devices != nullptr)
        QTest::mouseClick(devices->BitBtn1, Qt::LeftButton);
    return devices != nullptr;
}

// Answers the exception report with its "OK", noting the message.
ModalHost::Answerer okayReport(QStringList& reports)
{
    return [&reports](QDialog& shown) {
        if (answerDevices(shown))
            return;
        auto* box = qobject_cast<QMessageBox*>(&shown);
        QVERIFY(box);
        reports << box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
}

// Answers every "MIDI Open Error" with its "Nuts!", noting the text; any
// other dialog fails the test.
ModalHost::Answerer noteOpenErrors(QStringList& errors)
{
    return [&errors](QDialog& shown) {
        auto* error = qobject_cast<TMIDIOpenError*>(&shown);
        QVERIFY(error);
        errors << error->tfError->text();
        QTest::mouseClick(error->BitBtn1, Qt::LeftButton);
    };
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }
    void cleanup()
    {
        QFile::remove(storePath());
        QFile::remove(libraryPath());
    }

    void firstRunMakesEverythingInOrderAndStoresTheDefaults()
    {
        ModalHost modal;
        QString offered;
        modal.setAnswerer([&offered](QDialog& shown) {
            if (auto* message = shown.findChild<QLabel*>("lblMessage"))
                offered = message->text();
            QVERIFY(answerDevices(shown));
        });
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        shell.setStepObserver(quitWhenRunning);
        QCOMPARE(shell.run(), 0);
        // The first start offers to look for the instrument.
        QVERIFY2(offered.contains("Find instrument"), qPrintable(offered));

        QCOMPARE(shell.trace(), (kMadeInOrder + QStringList{"first-run device selection", "refreshEditors",
                                                            "fetch voice", "event loop", "MidiPort.close",
                                                            "saveSettings"}));
        QCOMPARE(modal.shownCount(), 1);  // the device dialog
        // The instrument's voice was asked for through the ports chosen;
        // nothing else went out.
        QCOMPARE(midi->sent().size(), std::size_t{1});
        QCOMPARE(midi->sent()[0].size(), std::size_t{15});
        // VoiceData has reset the voice.
        QCOMPARE(QByteArray(shell.context().voice->common.name, 8), QByteArray("12345678"));

        const QSettings stored(storePath(), QSettings::IniFormat);
        QCOMPARE(stored.allKeys().size(), kStoredValues);
        QCOMPARE(stored.value("MIDI Channel").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Model").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("In device").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Out device").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Auto send").toString(), QStringLiteral("1"));
        QCOMPARE(stored.value("In device name").toString(), QStringLiteral("Synth out"));
        QCOMPARE(stored.value("Out device name").toString(), QStringLiteral("Synth in"));
    }

    void storedSettingsSkipTheFirstRunAndChangesAreStored()
    {
        {
            QSettings earlier(storePath(), QSettings::IniFormat);
            earlier.setValue("MIDI Channel", "9");
            earlier.setValue("Auto send", "0");
        }
        ModalHost modal;
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        bool mainWindowShown = false;
        shell.setStepObserver([&](const QString& step) {
            if (step != QLatin1String("event loop"))
                return;
            const Settings& settings = *shell.context().settings;
            QVERIFY(settings.settingsFound);
            QCOMPARE(settings.midiChannel, 9);
            QVERIFY(!settings.autoSend);
            // As the device dialog would, while the program runs.
            shell.context().settings->midiChannel = 15;
            for (const QWidget* window : QApplication::topLevelWidgets())
                mainWindowShown = mainWindowShown || window->isVisible();
            quitWhenRunning(step);
        });
        shell.run();

        QVERIFY(!shell.trace().contains("first-run device selection"));
        QCOMPARE(shell.trace().mid(0, kMadeInOrder.size()), kMadeInOrder);
        QVERIFY(mainWindowShown);
        const QSettings stored(storePath(), QSettings::IniFormat);
        QCOMPARE(stored.allKeys().size(), kStoredValues);
        QCOMPARE(stored.value("MIDI Channel").toString(), QStringLiteral("15"));
        QCOMPARE(stored.value("Auto send").toString(), QStringLiteral("0"));
    }

    // Once running, an exception in a handler or inside a modal dialog is
    // reported and the program goes on; here the user then ends it.
    void exceptionWhileRunningIsReportedAndTheProgramGoesOn_data()
    {
        QTest::addColumn<bool>("inDialog");
        QTest::newRow("handler") << false;
        QTest::newRow("modal dialog") << true;
    }
    void exceptionWhileRunningIsReportedAndTheProgramGoesOn()
    {
        QFETCH(bool, inDialog);
        ModalHost modal;
        QStringList reports;
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        modal.setAnswerer([&](QDialog& shown) {
            if (qobject_cast<QMessageBox*>(&shown) || qobject_cast<TSetDevices*>(&shown))
                return okayReport(reports)(shown);
            throw std::runtime_error("Lost in a dialog");
        });
        bool wentOn = false;
        shell.setStepObserver([&](const QString& step) {
            if (step == QLatin1String("event loop")) {
                if (inDialog)
                    QTimer::singleShot(0, qApp, [&] { modal.showModal(*shell.context().AboutMorvane); });
                else
                    QTimer::singleShot(0, qApp, [] { throw std::runtime_error("The voice went up in smoke"); });
            }
            if (step.startsWith(QLatin1String("exception: ")))
                // Still running after the report: the user ends the program.
                QTimer::singleShot(0, qApp, [&] {
                    wentOn = shell.context().MainForm->isVisible();
                    QCoreApplication::quit();
                });
        });
        QCOMPARE(shell.run(), 0);

        const QString message = inDialog ? "Lost in a dialog" : "The voice went up in smoke";
        QCOMPARE(reports, QStringList{message});
        QVERIFY(wentOn);
        // The dialog is made when it is first shown.
        const QStringList made = inDialog ? QStringList{"TAboutMorvane"} : QStringList{};
        const QStringList last = QStringList{"event loop"} + made
                                 + QStringList{"exception: " + message, "MidiPort.close", "saveSettings"};
        QCOMPARE(shell.trace().mid(shell.trace().size() - last.size()), last);
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).allKeys().size(), kStoredValues);
    }

    void exceptionWhileMakingTheWindowsSkipsTheEventLoop()
    {
        ModalHost modal;
        QStringList reports;
        modal.setAnswerer(okayReport(reports));
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        shell.setStepObserver([](const QString& step) {
            if (step == QLatin1String("TSetDevices"))
                throw std::runtime_error("Out of windows");
            quitWhenRunning(step);  // in case it is reached after all
        });
        QCOMPARE(shell.run(), 0);

        QCOMPARE(reports, QStringList{"Out of windows"});
        const QStringList trace = shell.trace();
        QCOMPARE(trace.mid(0, kMadeInOrder.indexOf("TSetDevices") + 1),
                 kMadeInOrder.mid(0, kMadeInOrder.indexOf("TSetDevices") + 1));
        QVERIFY(!trace.contains("event loop"));
        QCOMPARE(trace.mid(trace.size() - 3),
                 (QStringList{"exception: Out of windows", "MidiPort.close", "saveSettings"}));
        // The main window was never shown, so it has no place to keep.
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).allKeys().size(), kStoredValues - 1);
    }

    // Nothing reaches the instrument unasked: by default its edit voice is
    // fetched and shown, else the first library voice is shown unsent and
    // the foot says why; the old way (send the first library voice) and
    // doing nothing are settings.
    void startUpSendsNothingUnasked_data()
    {
        QTest::addColumn<QString>("action");       // the stored "At start-up", empty for the default
        QTest::addColumn<bool>("connected");
        QTest::addColumn<bool>("answers");
        QTest::addColumn<QStringList>("sent");     // "request" or the name in a voice dump
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("notice");
        QTest::newRow("fetched") << "" << true << true << QStringList{"request"} << "Synthvox"
                                 << "The instrument's voice was fetched.";
        QTest::newRow("no answer") << "" << true << false << QStringList{"request"} << "Library1"
                                   << "No voice came from the instrument: the first library voice is shown, not sent.";
        QTest::newRow("no instrument") << "" << false << true << QStringList{} << "Library1"
                                       << "No instrument connected: the first library voice is shown, not sent.";
        QTest::newRow("send first voice") << "1" << true << true << QStringList{"Library1"} << "Library1" << "";
        QTest::newRow("do nothing") << "2" << true << true << QStringList{} << "Library1"
                                    << "Nothing sent at start-up: the first library voice is shown, not sent.";
    }
    void startUpSendsNothingUnasked()
    {
        QFETCH(QString, action);
        QFETCH(bool, connected);
        QFETCH(bool, answers);
        QFETCH(QStringList, sent);
        QFETCH(QString, shown);
        QFETCH(QString, notice);
        {
            VoiceParameters voice;
            VoiceData data(voice);
            std::memcpy(voice.common.name, "Library1", 8);
            QVERIFY(VoiceLibrary(libraryPath().toStdString()).appendRecord(0x0001, data).ok());
            QSettings earlier(storePath(), QSettings::IniFormat);
            earlier.setValue("MIDI Channel", "0");
            if (!action.isEmpty())
                earlier.setValue("At start-up", action);
        }
        ModalHost modal;
        modal.setAnswerer([](QDialog& shown) { shown.accept(); });  // a port that cannot be opened
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        midiSetUp = [&](InProcessMidiBackend& backend) {
            if (!connected)
                backend.failOutput(0, "The port is busy");
            if (answers)
                backend.setOnSend([&backend](const std::vector<std::uint8_t>& message) {
                    if (message.size() != 15)
                        return;
                    VoiceParameters voice{};
                    std::memcpy(voice.common.name, "Synthvox", 8);
                    backend.deliver(test::encodedVoice(voice));
                });
        };
        QString noticeShown;
        QString title;
        shell.setStepObserver([&](const QString& step) {
            if (step == QLatin1String("event loop")) {
                noticeShown = shell.context().MainForm->Notice->text();
                title = shell.context().MainForm->windowTitle();
            }
            quitWhenRunning(step);
        });
        shell.run();

        QStringList sentNow;
        for (const std::vector<std::uint8_t>& message : midi->sent())
            sentNow << (message.size() == 15 ? QStringLiteral("request")
                                             : QString::fromLatin1(reinterpret_cast<const char*>(&message[19]), 8));
        QCOMPARE(sentNow, sent);
        QCOMPARE(QByteArray(shell.context().voice->common.name, 8), shown.toLatin1());
        QCOMPARE(noticeShown, notice);
        QCOMPARE(title, shown + QStringLiteral("[*] - Morvane"));
        // The choice is kept only when it is not the default.
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).value("At start-up").toString(), action);
    }

    // Without --library or a "Library" setting the library is SOUNDS.SYL in
    // the folder the program starts from when there is one (and the main
    // window says so), else in the user's data folder, made when missing.
    void theLibraryIsInTheDataFolderUnlessTheStartFolderHasOne()
    {
        storeChannel();
        const QString dataHome = dir.filePath("data");
        const QString startFolder = dir.filePath("start");
        QVERIFY(QDir().mkpath(startFolder));
        const QByteArray oldDataHome = qgetenv("XDG_DATA_HOME");
        const QString oldFolder = QDir::currentPath();
        qputenv("XDG_DATA_HOME", dataHome.toLocal8Bit());
        QVERIFY(QDir::setCurrent(startFolder));
        auto startOnce = [&](QString& libraryFile, QString& notice) {
            ModalHost modal;
            AppShell shell(*app(), modal, store());
            useTestMachine(shell);
            shell.setLibraryPath({});
            shell.setStepObserver([&](const QString& step) {
                if (step == QLatin1String("event loop"))
                    notice = shell.context().MainForm->Notice->text();
                quitWhenRunning(step);
            });
            shell.run();
            libraryFile = QString::fromStdString(shell.context().library->path());
        };
        QString inData, noticeInData;
        startOnce(inData, noticeInData);
        QString inStart, noticeInStart;
        {
            VoiceParameters voice;
            VoiceData data(voice);
            QVERIFY(VoiceLibrary(QDir(startFolder).filePath("SOUNDS.SYL").toStdString()).appendRecord(1, data).ok());
        }
        startOnce(inStart, noticeInStart);
        QDir::setCurrent(oldFolder);
        qputenv("XDG_DATA_HOME", oldDataHome);

        QCOMPARE(inData, dataHome + QStringLiteral("/morvane/SOUNDS.SYL"));
        QVERIFY(QFileInfo(inData).isFile());  // made at start-up
        QVERIFY2(!noticeInData.contains("library"), qPrintable(noticeInData));
        QCOMPARE(inStart, QDir(startFolder).filePath("SOUNDS.SYL"));
        QVERIFY2(noticeInStart.contains("Using the voice library in the folder Morvane started from: " + inStart),
                 qPrintable(noticeInStart));
    }

    // A file named on the command line is loaded and sent after the
    // library's first voice, as "Load voice" does; a bad one gets the same
    // message and changes nothing.
    void aStartFileIsLoadedAndSent()
    {
        storeChannel();
        QFile file(dir.filePath("start.syx"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        VoiceParameters voice{};
        std::memcpy(voice.common.name, "FromFile", 8);
        const std::vector<std::uint8_t> dump = test::encodedVoice(voice);
        file.write(reinterpret_cast<const char*>(dump.data()), qint64(dump.size()));
        file.close();
        ModalHost modal;
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        shell.setStartFile(file.fileName());
        shell.setStepObserver(quitWhenRunning);
        shell.run();
        QCOMPARE(modal.shownCount(), 0);
        QCOMPARE(QByteArray(shell.context().voice->common.name, 8), QByteArray("FromFile"));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&midi->sent().back()[19]), 8), QByteArray("FromFile"));
    }

    void aBadStartFileGetsTheInvalidFileMessage()
    {
        storeChannel();
        QFile file(dir.filePath("bad.syx"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a voice");
        file.close();
        ModalHost modal;
        QStringList titles;
        modal.setAnswerer([&](QDialog& shown) {
            titles << shown.windowTitle();
            shown.accept();
        });
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        shell.setStartFile(file.fileName());
        shell.setStepObserver(quitWhenRunning);
        shell.run();
        QCOMPARE(titles, QStringList{"Invalid file"});
        QVERIFY(midi->sent().empty());
        QCOMPARE(QByteArray(shell.context().voice->common.name, 8), QByteArray("12345678"));
    }

    // The settings can name the library (a program started from a desktop
    // menu runs in the home folder); setLibraryPath, which --library sets,
    // wins over them.
    void theLibraryIsTheOneTheSettingsOrTheCommandLineName()
    {
        const QString named = dir.filePath("mine.syl");
        {
            VoiceParameters voice;
            VoiceData data(voice);
            std::memcpy(voice.common.name, "MyLibrar", 8);
            QVERIFY(VoiceLibrary(named.toStdString()).appendRecord(0x0001, data).ok());
        }
        for (const bool commandLine : {false, true}) {
            {
                QSettings earlier(storePath(), QSettings::IniFormat);
                earlier.setValue("MIDI Channel", "0");
                earlier.setValue("Library", commandLine ? dir.filePath("elsewhere.syl") : named);
            }
            ModalHost modal;
            AppShell shell(*app(), modal, store());
            useTestMachine(shell);
            shell.setLibraryPath(commandLine ? named.toStdString() : std::string{});
            shell.setStepObserver(quitWhenRunning);
            shell.run();
            QCOMPARE(QByteArray(shell.context().voice->common.name, 8), QByteArray("MyLibrar"));
            QVERIFY(!QFile::exists(dir.filePath("SOUNDS.SYL")));
        }
        // The value stays for the next run.
        QVERIFY(QSettings(storePath(), QSettings::IniFormat).value("Library").toString().endsWith("elsewhere.syl"));
    }

    // The windows the user moved come back there; a place on no screen now
    // (a monitor unplugged) is left to the system.
    void windowPlacesAreStoredAndRestored()
    {
        storeChannel();
        const QPoint kept(140, 90);
        {
            ModalHost modal;
            AppShell shell(*app(), modal, store());
            useTestMachine(shell);
            shell.startUp();
            QWidget* editor = shell.context().services->editor("ElementA1");
            editor->show();
            editor->move(kept);
            shell.context().MainForm->show();
            shell.context().MainForm->move(5000, 4000);
            shell.shutDown();
        }
        ModalHost modal;
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        shell.startUp();
        // An editor is placed when it is made, the first time it is shown.
        QVERIFY(shell.context().AWMEdit.made() == nullptr);
        QWidget* editor = shell.context().services->editor("ElementA1");
        QCOMPARE(editor->pos(), kept);
        QVERIFY(shell.context().MainForm->pos() != QPoint(5000, 4000));
        // The editors never shown keep no place.
        const QSettings stored(storePath(), QSettings::IniFormat);
        QCOMPARE(stored.value("Windows/" + editor->objectName()).toString(), QStringLiteral("140,90"));
        for (const char* other : {"FMEdit", "VoiceCommonEdit", "VectorEdit"})
            QVERIFY(!stored.contains(QStringLiteral("Windows/") + QLatin1String(other)));
        shell.shutDown();
    }

    void portsThatFailToOpenAreReportedAndStartUpGoesOn()
    {
        {
            QSettings earlier(storePath(), QSettings::IniFormat);
            earlier.setValue("MIDI Channel", "0");
            earlier.setValue("In device", "1");
        }
        ModalHost modal;
        QStringList errors;
        modal.setAnswerer(noteOpenErrors(errors));
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        midiSetUp = [](InProcessMidiBackend& backend) { backend.failOutput(0, "The port is busy"); };
        shell.setStepObserver(quitWhenRunning);
        shell.run();

        QCOMPARE(errors.size(), 2);
        QVERIFY(errors[0].contains("no MIDI input"));  // the machine has one input only
        QCOMPARE(errors[1], QStringLiteral("The port is busy"));
        QVERIFY(shell.trace().contains("event loop"));
    }

    // A store that cannot be written (its folder would have to be made
    // inside a file, which fails for the superuser too) is reported at exit.
    void aSettingsStoreThatCannotBeWrittenIsReportedAtExit()
    {
        QFile blocker(dir.filePath(QStringLiteral("not-a-folder")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString unwritable = blocker.fileName() + QStringLiteral("/store.ini");
        QStringList reports;
        ModalHost modal;
        modal.setAnswerer(okayReport(reports));
        AppShell shell(*app(), modal, std::make_unique<QSettings>(unwritable, QSettings::IniFormat));
        useTestMachine(shell);
        shell.setStepObserver(quitWhenRunning);
        shell.run();

        QCOMPARE(shell.trace().mid(shell.trace().size() - 2), (QStringList{"saveSettings", "settings not stored"}));
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports.front().contains(unwritable), qPrintable(reports.front()));
    }

    // A store from before names were kept opens the devices at its places
    // and learns their names; one with names finds them wherever they are
    // now, or says which is missing and opens nothing in its place.
    void storedDevicesAreOpenedByNameElseByPlace_data()
    {
        QTest::addColumn<QStringList>("stored");   // name, value, ...
        QTest::addColumn<int>("inOpen");
        QTest::addColumn<int>("outOpen");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QString>("inNameStored");
        QTest::newRow("places only") << QStringList{"In device", "1", "Out device", "0"} << 1 << 0 << QStringList{}
                                     << "Synth out";
        QTest::newRow("names moved") << QStringList{"In device", "0", "In device name", "Synth out",
                                                    "Out device name", "Synth in"}
                                     << 1 << 0 << QStringList{} << "Synth out";
        QTest::newRow("input missing")
            << QStringList{"In device", "1", "In device name", "Old synth out", "Out device name", "Synth in"} << -1
            << 0 << QStringList{"The MIDI input device \"Old synth out\" was not found. It is opened as soon as it "
                                "appears."}
            << "Old synth out";
    }

    void storedDevicesAreOpenedByNameElseByPlace()
    {
        QFETCH(QStringList, stored);
        QFETCH(int, inOpen);
        QFETCH(int, outOpen);
        QFETCH(QStringList, messages);
        QFETCH(QString, inNameStored);
        {
            QSettings earlier(storePath(), QSettings::IniFormat);
            earlier.setValue("MIDI Channel", "0");
            for (int i = 0; i + 1 < stored.size(); i += 2)
                earlier.setValue(stored[i], stored[i + 1]);
        }
        ModalHost modal;
        QStringList shown;
        modal.setAnswerer(noteOpenErrors(shown));
        AppShell shell(*app(), modal, store());
        useTestMachine(shell);
        midiSetUp = [](InProcessMidiBackend& backend) { backend.setDevices({"Other out", "Synth out"}, {"Synth in"}); };
        int openedIn = -2;
        int openedOut = -2;
        shell.setStepObserver([&](const QString& step) {
            if (step == QLatin1String("event loop")) {
                openedIn = midi->openInputIndex();
                openedOut = midi->openOutputIndex();
            }
            quitWhenRunning(step);
        });
        shell.run();

        QCOMPARE(shown, messages);
        QCOMPARE(openedIn, inOpen);
        QCOMPARE(openedOut, outOpen);
        const QSettings after(storePath(), QSettings::IniFormat);
        QCOMPARE(after.value("In device name").toString(), inNameStored);
        QCOMPARE(after.value("Out device name").toString(), QStringLiteral("Synth in"));
        if (inOpen >= 0)
            QCOMPARE(after.value("In device").toString(), QString::number(inOpen));
    }

private:
    // Stored settings, so that the first-run dialog stays away.
    void storeChannel()
    {
        QSettings earlier(storePath(), QSettings::IniFormat);
        earlier.setValue("MIDI Channel", "0");
    }

    // An in-process MIDI system with one port each way, and a library in the
    // test's folder.
    void useTestMachine(AppShell& shell)
    {
        midi = nullptr;
        midiSetUp = nullptr;
        shell.setMidiBackendFactory([this] {
            auto backend = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"Synth out"},
                                                                  std::vector<std::string>{"Synth in"});
            midi = backend.get();
            if (midiSetUp)
                midiSetUp(*backend);
            return backend;
        });
        shell.setLibraryPath(libraryPath().toStdString());
        // The start-up fetch need not wait long for an instrument that stays silent.
        shell.setReplyWait(std::chrono::milliseconds(50));
    }
    QString libraryPath() const { return dir.filePath(QStringLiteral("SOUNDS.SYL")); }

    InProcessMidiBackend* midi = nullptr;
    std::function<void(InProcessMidiBackend&)> midiSetUp;

    static MorvaneApplication* app() { return static_cast<MorvaneApplication*>(qApp); }
    QString storePath() const { return dir.filePath(QStringLiteral("store.ini")); }
    std::unique_ptr<QSettings> store() const
    {
        return std::make_unique<QSettings>(storePath(), QSettings::IniFormat);
    }

    QTemporaryDir dir;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::StartupTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StartupTest.moc"
