// The sound-design tools with the whole program made by the start-up
// sequence and an in-process MIDI system as the instrument: randomise, blend,
// compare with the loaded voice and the test note.
#include "AppServices.h"
#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "InstrumentLink.h"
#include "ManualClock.h"
#include "MessageDialog.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "Settings.h"
#include "SoundDesignDialogs.h"
#include "TestNote.h"
#include "TAWMEdit.h"
#include "TMainForm.h"
#include "VoiceData.h"
#include "VoiceFields.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"

#include <QAction>
#include <QCheckBox>
#include <QSignalSpy>
#include <QComboBox>
#include <QDir>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <functional>

namespace morvane {

class SoundDesignTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        {
            // The clock moves only when a test moves it: at the cable's pace
            // every dump after the first would wait for it.
            QSettings stored(dir.filePath("store.ini"), QSettings::IniFormat);
            stored.setValue("Wire rate", "0");
        }
        shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "3", midi, clock.now());
        context().settings->autoSend = true;
        for (QWidget* w : {static_cast<QWidget*>(context().MainForm), static_cast<QWidget*>(context().AWMEdit)}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
        start = voice();
    }
    void cleanup()
    {
        modal.setAnswerer({});
        test::stopProgram(shell, dir, dir.filePath("store.ini"));
    }

    void randomiseIsOneStepSentInRangeAndKeepsTheName()
    {
        modal.setAnswerer([](QDialog& dialog) {
            dialog.findChild<QSpinBox*>("seAmount")->setValue(100);
            dialog.findChild<QCheckBox*>("cbElementB")->setChecked(false);
            ok(dialog);
        });
        action("Randomise1")->trigger();
        QVERIFY(!same(voice(), start));
        QCOMPARE(QByteArray(voice().common.name, 8), QByteArray(start.common.name, 8));
        QVERIFY(same(voice().elementB, start.elementB));  // a part left out
        QCOMPARE(QString::fromStdString(findFieldOutOfRange(voice())), QString());
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Randomise"));
        context().midiPort->finishSending();
        QCOMPARE(lastSent().mid(4), dump().mid(4));  // after the channel byte
        action("Undo1")->trigger();
        QVERIFY(same(voice(), start));
        QVERIFY(!action("Undo1")->isEnabled());
    }

    void blendTakesAFileOrALibraryVoiceAsOneStep()
    {
        VoiceParameters other{};
        VoiceData otherData(other);
        std::memcpy(other.common.name, "Other   ", 8);
        other.elementA.level = 100;
        other.levelVectorSpeed = other.detuneVectorSpeed = 8;
        const QString file = dir.filePath("other.syx");
        QVERIFY(writeVoiceFile(file.toStdString(), otherData));
        QVERIFY(context().library->appendRecord(1, otherData).ok());

        struct Case {
            const char* source;
            int mix;
            int level;
        } cases[] = {{"rbFile", 100, 100}, {"rbLibrary", 100, 100}, {"rbFile", 50, 50}};
        for (const Case& c : cases) {
            modal.setAnswerer([&](QDialog& dialog) {
                dialog.findChild<QLineEdit*>("edFile")->setText(file);
                dialog.findChild<QRadioButton*>(c.source)->setChecked(true);
                dialog.findChild<QSpinBox*>("seMix")->setValue(c.mix);
                ok(dialog);
            });
            action("Blend1")->trigger();
            QCOMPARE(int(voice().elementA.level), c.level);
            QCOMPARE(QByteArray(voice().common.name, 8), c.mix > 50 ? QByteArray("Other   ") : QByteArray(start.common.name, 8));
            QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Blend"));
            action("Undo1")->trigger();
            QVERIFY2(same(voice(), start), c.source);
        }

        // A file that holds no voice is said, and nothing changes.
        QString shown;
        modal.setAnswerer([&](QDialog& dialog) {
            if (auto* message = qobject_cast<QMessageBox*>(&dialog)) {
                shown = message->text();
                message->accept();
                return;
            }
            dialog.findChild<QRadioButton*>("rbFile")->setChecked(true);
            dialog.findChild<QLineEdit*>("edFile")->setText(dir.filePath("missing.syx"));
            ok(dialog);
        });
        action("Blend1")->trigger();
        QVERIFY2(shown.contains("missing.syx"), qPrintable(shown));
        QVERIFY(same(voice(), start));
        QVERIFY(!action("Undo1")->isEnabled());

        // A folder as the file, and a library voice that another program
        // renamed while the dialog was open: each is said, nothing changes.
        QVERIFY(QDir(dir.path()).mkdir("folder.syx"));
        const struct {
            const char* source;
            QString file;
            const char* said;
        } refused[] = {{"rbFile", dir.filePath("folder.syx"), "not a regular file"},
                       {"rbLibrary", file, "\"Other\" is no longer where it was"}};
        for (const auto& r : refused) {
            shown.clear();
            modal.setAnswerer([&](QDialog& dialog) {
                if (auto* message = qobject_cast<QMessageBox*>(&dialog)) {
                    shown = message->text();
                    message->accept();
                    return;
                }
                dialog.findChild<QRadioButton*>(r.source)->setChecked(true);
                dialog.findChild<QLineEdit*>("edFile")->setText(r.file);
                if (QLatin1String(r.source) == QLatin1String("rbLibrary")) {
                    VoiceLibrary anotherProgram(context().library->path());
                    QVERIFY(anotherProgram.renameRecord(0, "Renamed"));
                }
                ok(dialog);
            });
            action("Blend1")->trigger();
            QVERIFY2(shown.contains(r.said), qPrintable(shown));
            QVERIFY(same(voice(), start));
            QVERIFY(!action("Undo1")->isEnabled());
        }
    }

    // Compare shows and sends the loaded voice read-only, then gives the
    // edited voice back; it adds no step, and undo ends it.
    void compareRoundTrip()
    {
        VoiceParameters loaded{};
        VoiceData loadedData(loaded);
        std::memcpy(loaded.common.name, "Loaded  ", 8);
        loaded.elementA.pitch = -3;
        const QString file = dir.filePath("loaded.syx");
        QVERIFY(writeVoiceFile(file.toStdString(), loadedData));
        QVERIFY(readVoiceFile(file.toStdString(), loadedData) == VoiceFileResult::Loaded);  // as the program reads it
        services().loadVoiceFile(file);
        services().refreshEditors();
        QWidget& awm = *context().AWMEdit;
        auto* pitch = awm.findChild<QLineEdit*>("tfPitch");
        QApplication::setActiveWindow(&awm);
        pitch->setFocus();
        pitch->selectAll();
        QTest::keyClicks(pitch, "5");
        QTest::keyClick(pitch, Qt::Key_Tab);
        const VoiceParameters edited = voice();
        QCOMPARE(int(edited.elementA.pitch), 5);
        const std::size_t steps = services().history()->steps();
        const QString caption = awm.windowTitle();

        QTest::keySequence(&awm, QKeySequence(Qt::CTRL | Qt::Key_K));
        QVERIFY(services().comparing());
        QVERIFY(same(voice(), loaded));
        QVERIFY(action("Compare1")->isChecked());
        QVERIFY(awm.windowTitle().contains("comparing"));
        QVERIFY(!pitch->isEnabled());
        QCOMPARE(pitch->text(), QStringLiteral("-3"));
        context().midiPort->finishSending();
        QCOMPARE(lastSent().mid(4), dump().mid(4));

        action("Compare1")->trigger();
        QVERIFY(!services().comparing());
        QVERIFY(same(voice(), edited));
        QVERIFY(pitch->isEnabled());
        QCOMPARE(awm.windowTitle(), caption);
        QCOMPARE(services().history()->steps(), steps);
        context().midiPort->finishSending();
        QCOMPARE(lastSent().mid(4), dump().mid(4));

        awm.findChild<QPushButton*>("bCompare")->click();
        QVERIFY(services().comparing());
        action("Undo1")->trigger();
        QVERIFY(!services().comparing());
        QVERIFY(same(voice(), loaded));  // the step before the edit: the loaded voice
        QVERIFY(!awm.findChild<QAction*>("Compare")->isChecked());
    }

    // The test note: note-on, then note-off once its length has passed by
    // the clock; held, until released; a second start ends the first note.
    // The options are kept.
    void testNoteOnTheProgramsChannel()
    {
        modal.setAnswerer([](QDialog& dialog) {
            dialog.findChild<QSpinBox*>("seKey")->setValue(64);
            dialog.findChild<QSpinBox*>("seVelocity")->setValue(90);
            dialog.findChild<QSpinBox*>("seLength")->setValue(100);
            ok(dialog);
        });
        action("TestNoteOptions1")->trigger();
        QCOMPARE(context().settings->testNoteKey, 64);
        QCOMPARE(context().settings->testNoteLength, 100);
        const std::vector<std::uint8_t> on{0x93, 64, 90}, off{0x83, 64, 64};

        QWidget& awm = *context().AWMEdit;
        QApplication::setActiveWindow(&awm);
        QTest::keySequence(&awm, QKeySequence(Qt::CTRL | Qt::Key_T));
        context().midiPort->finishSending();
        QCOMPARE(notes().size(), std::size_t{1});
        QCOMPARE(notes()[0], on);
        // The note's timer wakes it to look at the clock: not yet.
        QSignalSpy looked(&services().link().testNote(), &TestNote::looked);
        clock.advance(std::chrono::milliseconds(99));
        QVERIFY(looked.wait(2000));
        context().midiPort->finishSending();
        QCOMPARE(notes().size(), std::size_t{1});
        clock.advance(std::chrono::milliseconds(1));
        QTRY_COMPARE_WITH_TIMEOUT(notes().size(), std::size_t{2}, 2000);
        QCOMPARE(notes()[1], off);

        // Held past its length it still sounds; released then, it ends at once.
        auto* play = awm.findChild<QPushButton*>("bPlay");
        QTest::mousePress(play, Qt::LeftButton);
        looked.clear();
        clock.advance(std::chrono::milliseconds(300));
        QVERIFY(looked.wait(2000));
        context().midiPort->finishSending();
        QCOMPARE(notes().size(), std::size_t{3});
        QTest::mouseRelease(play, Qt::LeftButton);
        context().midiPort->finishSending();
        QCOMPARE(notes().size(), std::size_t{4});
        QCOMPARE(notes()[3], off);

        action("PlayTestNote1")->trigger();
        action("PlayTestNote1")->trigger();  // ends the first before it starts again
        context().midiPort->finishSending();
        QCOMPARE(notes().size(), std::size_t{7});
        QCOMPARE(notes()[5], off);
        QCOMPARE(notes()[6], on);
        clock.advance(std::chrono::milliseconds(100));
        QTRY_COMPARE_WITH_TIMEOUT(notes().size(), std::size_t{8}, 2000);
    }

private:
    // The short channel messages the instrument got, in order.
    std::vector<std::vector<std::uint8_t>> notes() const
    {
        std::vector<std::vector<std::uint8_t>> found;
        for (const std::vector<std::uint8_t>& message : midi->sent())
            if (message.size() == 3)
                found.push_back(message);
        return found;
    }
    AppServices& services() { return *context().services; }
    static MorvaneApplication* app() { return static_cast<MorvaneApplication*>(qApp); }
    const AppContext& context() const { return shell->context(); }
    VoiceParameters& voice() { return *context().voice; }
    QAction* action(const char* name) { return context().MainForm->findChild<QAction*>(name); }
    template <typename T>
    static bool same(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
    static void ok(QDialog& dialog) { dialog.findChild<QDialogButtonBox*>("buttons")->button(QDialogButtonBox::Ok)->click(); }
    QByteArray dump() const
    {
        const VoiceDump dump = context().voiceData->encodeDump();
        return QByteArray(reinterpret_cast<const char*>(dump.data()), int(dump.size()));
    }
    QByteArray lastSent() const
    {
        const std::vector<std::vector<std::uint8_t>> sent = midi->sent();
        if (sent.empty())
            return {};
        return QByteArray(reinterpret_cast<const char*>(sent.back().data()), int(sent.back().size()));
    }

    QTemporaryDir dir;
    test::ManualClock clock;
    ModalHost modal;
    std::unique_ptr<AppShell> shell;
    InProcessMidiBackend* midi = nullptr;
    VoiceParameters start{};
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::SoundDesignTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "SoundDesignTest.moc"
