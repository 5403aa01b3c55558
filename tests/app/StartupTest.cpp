// The start-up sequence run whole, with a settings store of its own and the
// dialogs answered by the test.
#include "AboutMorvane.h"
#include "AppShell.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "Settings.h"
#include "VoiceParameters.h"

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
    "Settings", "TMIDIOpenError", "VoiceData", "application title", "TemporaryMainWindow",
    "TAboutMorvane", "TInvFile", "TSaveErrDlg", "TOverwriteDlg", "TnoMIDIData", "TDataReceivedForm",
};

// Ends the event loop as soon as it runs.
void quitWhenRunning(const QString& step)
{
    if (step == QLatin1String("event loop"))
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

// Answers the exception report with its "OK", noting the message.
ModalHost::Answerer okayReport(QStringList& reports)
{
    return [&reports](QDialog& shown) {
        auto* box = qobject_cast<QMessageBox*>(&shown);
        QVERIFY(box);
        reports << box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QVERIFY(dir.isValid()); }
    void cleanup() { QFile::remove(storePath()); }

    void firstRunMakesEverythingInOrderAndStoresTheDefaults()
    {
        ModalHost modal;
        AppShell shell(*app(), modal, store());
        shell.setStepObserver(quitWhenRunning);
        QCOMPARE(shell.run(), 0);

        QCOMPARE(shell.trace(),
                 (kMadeInOrder + QStringList{"first-run device selection", "event loop", "saveSettings"}));
        QCOMPARE(modal.shownCount(), 0);
        // VoiceData has reset the voice.
        QCOMPARE(QByteArray(shell.context().voice->common.name, 8), QByteArray("12345678"));

        const QSettings stored(storePath(), QSettings::IniFormat);
        QCOMPARE(stored.allKeys().size(), 5);
        QCOMPARE(stored.value("MIDI Channel").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Model").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("In device").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Out device").toString(), QStringLiteral("0"));
        QCOMPARE(stored.value("Auto send").toString(), QStringLiteral("1"));
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
        QCOMPARE(stored.allKeys().size(), 5);
        QCOMPARE(stored.value("MIDI Channel").toString(), QStringLiteral("15"));
        QCOMPARE(stored.value("Auto send").toString(), QStringLiteral("0"));
    }

    void exceptionInAHandlerIsReportedThenTheProgramShutsDown()
    {
        ModalHost modal;
        QStringList reports;
        modal.setAnswerer(okayReport(reports));
        AppShell shell(*app(), modal, store());
        shell.setStepObserver([](const QString& step) {
            if (step == QLatin1String("event loop"))
                QTimer::singleShot(0, qApp, [] { throw std::runtime_error("The voice went up in smoke"); });
        });
        QCOMPARE(shell.run(), 0);

        QCOMPARE(reports, QStringList{"The voice went up in smoke"});
        QCOMPARE(shell.trace().mid(shell.trace().size() - 3),
                 (QStringList{"event loop", "exception: The voice went up in smoke", "saveSettings"}));
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).allKeys().size(), 5);
    }

    void exceptionInsideAModalDialogEndsEveryLoop()
    {
        ModalHost modal;
        QStringList reports;
        AppShell shell(*app(), modal, store());
        modal.setAnswerer([&](QDialog& shown) {
            if (qobject_cast<QMessageBox*>(&shown))
                return okayReport(reports)(shown);
            throw std::runtime_error("Lost in a dialog");
        });
        shell.setStepObserver([&](const QString& step) {
            if (step == QLatin1String("event loop"))
                QTimer::singleShot(0, qApp, [&] { modal.showModal(*shell.context().AboutMorvane); });
        });
        QCOMPARE(shell.run(), 0);

        QCOMPARE(reports, QStringList{"Lost in a dialog"});
        QCOMPARE(shell.trace().back(), QStringLiteral("saveSettings"));
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).allKeys().size(), 5);
    }

    void exceptionWhileMakingTheWindowsSkipsTheEventLoop()
    {
        ModalHost modal;
        QStringList reports;
        modal.setAnswerer(okayReport(reports));
        AppShell shell(*app(), modal, store());
        shell.setStepObserver([](const QString& step) {
            if (step == QLatin1String("TOverwriteDlg"))
                throw std::runtime_error("Out of windows");
            quitWhenRunning(step);  // in case it is reached after all
        });
        QCOMPARE(shell.run(), 0);

        QCOMPARE(reports, QStringList{"Out of windows"});
        const QStringList trace = shell.trace();
        QCOMPARE(trace.mid(0, kMadeInOrder.indexOf("TOverwriteDlg") + 1),
                 kMadeInOrder.mid(0, kMadeInOrder.indexOf("TOverwriteDlg") + 1));
        QVERIFY(!trace.contains("event loop"));
        QCOMPARE(trace.mid(trace.size() - 2), (QStringList{"exception: Out of windows", "saveSettings"}));
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).allKeys().size(), 5);
    }

private:
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
