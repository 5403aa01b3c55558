// Hardware controllers end to end: the whole program on a real JACK server
// with morvane-sim as the instrument and a port of this test as the
// controller keyboard. A knob learned from an editor control's context menu
// moves the field over its whole range, and the instrument ends holding
// exactly the editor's voice.
#include "AppContext.h"
#include "AppServices.h"
#include "AppShell.h"
#include "ControllerLink.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "SystemMidiBackend.h"
#include "Settings.h"
#include "SimProcess.h"
#include "TMainForm.h"
#include "TVoiceCommonEdit.h"
#include "VoiceData.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>

namespace morvane {

class ControllerJackTest : public QObject {
    Q_OBJECT

private slots:
    void aKnobMovesTheFieldAndTheInstrumentFollows()
    {
        QVERIFY2(jackServerRunning(), "these tests need a JACK server (scripts/test.sh)");
        test::SimProcess sim({"--log", "--wire-rate", "31250"});
        QVERIFY2(sim.started(), sim.output().c_str());
        const std::string keyboardName = test::uniqueClientName("keyboard");
        SystemMidiBackend keyboard(keyboardName);
        QVERIFY(!keyboard.openVirtualOutput());

        const QString store = dir.filePath("store.ini");
        {
            QSettings stored(store, QSettings::IniFormat);
            stored.setValue("MIDI Channel", "0");
            stored.setValue("In device name", QString::fromStdString(sim.outputPort()));
            stored.setValue("Out device name", QString::fromStdString(sim.inputPort()));
        }
        ModalHost modal;
        modal.setAnswerer([](QDialog& dialog) { dialog.reject(); });
        AppShell shell(*static_cast<MorvaneApplication*>(qApp), modal,
                       std::make_unique<QSettings>(store, QSettings::IniFormat));
        shell.setMidiBackendFactory([] { return std::make_unique<SystemMidiBackend>(test::uniqueClientName("knobapp")); });
        shell.setLibraryPath(dir.filePath("SOUNDS.SYL").toStdString());
        shell.startUp();
        const AppContext& context = shell.context();
        QVERIFY(context.midiPort->outputIsOpen());
        context.settings->autoSend = true;
        ControllerLink& controllers = context.services->controllers();
        controllers.setBackendFactory([] { return std::make_unique<SystemMidiBackend>(test::uniqueClientName("knobin")); });
        QString problem;
        const QString keyboardPort = QString::fromStdString(keyboardName) + QStringLiteral(":out");
        QTRY_VERIFY2(controllers.inputNames().contains(keyboardPort), qPrintable(controllers.inputNames().join(", ")));
        QVERIFY2(controllers.open(keyboardPort, problem), qPrintable(problem));

        // Learned from the bend range's number box.
        QWidget& common = *context.VoiceCommonEdit;
        common.show();
        QVERIFY(QTest::qWaitForWindowExposed(&common));
        auto* box = common.findChild<QLineEdit*>("tfBendRange");
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), box->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(box, &event);
        QWidget* menu = QApplication::activePopupWidget();
        QVERIFY(menu != nullptr);
        menu->findChild<QAction*>("LearnController")->trigger();
        menu->close();

        // A turn of the knob, up to the top and back to a third.
        const auto turn = [&](std::uint8_t value) {
            const std::uint8_t message[] = {0xB4, 21, value};
            QVERIFY(!keyboard.send(message, sizeof message));
        };
        for (std::uint8_t value = 0; value < 127; value += 7)
            turn(value);
        turn(127);
        QTRY_COMPARE(int(context.voice->common.bendRange), 12);
        QCOMPARE(controllers.controllerOf("common.bendRange"), std::string("CC 21, channel 5"));
        turn(42);
        QTRY_COMPARE(int(context.voice->common.bendRange), 4);  // 42/127 of 0-12, rounded
        QCOMPARE(box->text(), QStringLiteral("4"));

        // The instrument ends holding the editor's voice as its dump carries
        // it (the reset voice's out-of-range vector speeds read back in range).
        context.midiPort->setReplyWait(std::chrono::seconds(10));
        VoiceParameters held{}, expected{};
        VoiceData heldData(held), expectedData(expected);
        const VoiceDump edited = encodeDump(*context.voice);
        QVERIFY(expectedData.decodeDump(edited.data(), edited.size()));
        QVERIFY(static_cast<bool>(context.midiPort->requestVoice(0, 0, heldData)));
        QCOMPARE(int(held.common.bendRange), 4);
        QVERIFY(encodeDump(held) == encodeDump(expected));
        shell.shutDown();
    }

private:
    QTemporaryDir dir;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::ControllerJackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ControllerJackTest.moc"
