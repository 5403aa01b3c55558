// The whole program against a simulated instrument through a running JACK
// server: the instrument goes away, the user edits the voice, and when the
// instrument comes back the edit reaches it without another touch.
#include "AppShell.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "SimProcess.h"
#include "TMainForm.h"
#include "TVoiceCommonEdit.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace morvane {

class PortReturnTest : public QObject {
    Q_OBJECT

private slots:
    void anEditMadeWhileTheInstrumentIsAwayIsSentWhenItReturns()
    {
        QTemporaryDir dir;
        const std::string name = test::uniqueClientName("returning");
        auto sim = std::make_unique<test::SimProcess>(std::vector<std::string>{}, name);
        QVERIFY2(sim->started(), "No JACK server or simulator; run bash scripts/test.sh.");
        const QString storePath = dir.filePath("store.ini");
        {
            QSettings stored(storePath, QSettings::IniFormat);
            stored.setValue("MIDI Channel", "0");
            stored.setValue("Auto send", "1");
            stored.setValue("In device name", QString::fromStdString(sim->outputPort()));
            stored.setValue("Out device name", QString::fromStdString(sim->inputPort()));
        }
        ModalHost modal;
        modal.setAnswerer([](QDialog& shown) { QFAIL(qPrintable("unexpected dialog " + shown.objectName())); });
        AppShell shell(*static_cast<MorvaneApplication*>(qApp), modal,
                       std::make_unique<QSettings>(storePath, QSettings::IniFormat));
        shell.setLibraryPath(dir.filePath("SOUNDS.SYL").toStdString());
        shell.startUp();
        const AppContext& context = shell.context();
        MidiPort& port = *context.midiPort;
        QTRY_VERIFY_WITH_TIMEOUT(port.outputIsOpen(), 10000);
        auto* foot = context.MainForm->findChild<QLabel*>("SendState");
        QVERIFY(foot);

        sim.reset();
        QTRY_VERIFY_WITH_TIMEOUT(port.outputLink() == MidiPort::Link::Missing, 10000);
        QLineEdit* voiceName = context.VoiceCommonEdit->findChild<QLineEdit*>("tfVoiceName");
        QVERIFY(voiceName);
        voiceName->selectAll();
        QTest::keyClicks(voiceName, "Away");
        QTRY_VERIFY_WITH_TIMEOUT(foot->text().startsWith("Voice not sent"), 10000);

        sim = std::make_unique<test::SimProcess>(std::vector<std::string>{}, name);
        QVERIFY(sim->started());
        QTRY_VERIFY_WITH_TIMEOUT(sim->output().find("name \"Away    \"") != std::string::npos, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(foot->text().isEmpty(), 10000);
        QVERIFY(port.sendError().empty());
        shell.shutDown();
    }
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::PortReturnTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PortReturnTest.moc"
