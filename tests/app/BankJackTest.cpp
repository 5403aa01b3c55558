// The bank window end to end: the whole program on a real JACK server with
// morvane-sim as the instrument. Get bank fills the window with the
// simulator's 64 names; Send bank puts exactly the window's bank into it,
// with the instrument's pause between blocks, while a voice sent during it
// waits and arrives after it.
#include "AppContext.h"
#include "AppServices.h"
#include "AppShell.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "SystemMidiBackend.h"
#include "Settings.h"
#include "SimProcess.h"
#include "TBankEdit.h"
#include "TMainForm.h"
#include "VoiceBank.h"

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <regex>

namespace morvane {

class BankJackTest : public QObject {
    Q_OBJECT

private slots:
    void getAndSendBankWithTheSimulator()
    {
        QVERIFY2(jackServerRunning(), "these tests need a JACK server (scripts/test.sh)");
        test::SimProcess sim({"--log"});
        QVERIFY2(sim.started(), sim.output().c_str());
        std::unique_ptr<AppShell> program = startProgram(sim);
        AppShell& shell = *program;
        const AppContext& context = shell.context();
        QVERIFY(context.midiPort->inputIsOpen() && context.midiPort->outputIsOpen());
        context.settings->model = kModelSy22;
        context.midiPort->setWireRate(SendPacer::kAtOnce);
        auto action = [&](const char* name) { return context.MainForm->findChild<QAction*>(name); };

        action("GetBank1")->trigger();
        auto* window = context.MainForm->findChild<TBankEdit*>("BankEdit");
        QVERIFY(window != nullptr);
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        for (int slot = 0; slot < kBankVoices; ++slot)
            QCOMPARE(window->Slots->item(slot / 8, slot % 8)->text(), QStringLiteral("SIM %1  ").arg(slot + 1, 2, 10, QLatin1Char('0')));

        // Another order, then sent; a voice sent while the bank goes waits.
        window->moveSlot(0, 63);
        const std::vector<std::uint8_t> sent = window->bank().encode(0);
        QTimer::singleShot(300, [&] {
            setVoiceName(context.voice->common, "DURING");
            context.services->sendVoice();
        });
        action("SendBank1")->trigger();
        QVERIFY(window->BankState->text().contains("Sent the bank: 17 blocks"));
        QVERIFY2(sim.waitFor("name \"DURING  \""), sim.output().c_str());
        const std::string log = sim.output();
        QVERIFY2(log.find("received bank \"PK  2203VM\" device 0x01 bytes 38306 stored") < log.find("name \"DURING  \""), log.c_str());
        std::vector<double> times;
        const std::regex line(R"(received bank block \d+ of 17 at ([0-9.]+) ms)");
        for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
            times.push_back(std::stod((*it)[1].str()));
        QCOMPARE(times.size(), std::size_t{17});
        for (std::size_t i = 1; i < times.size(); ++i)
            QVERIFY2(times[i] - times[i - 1] >= 100.0, qPrintable(QString::number(i)));

        // What the simulator holds now is exactly what was sent; single
        // voices still go through after it.
        action("GetBank1")->trigger();
        QVERIFY(window->bank().encode(0) == sent);
        QCOMPARE(window->Slots->item(7, 7)->text(), QStringLiteral("SIM 01  "));
        setVoiceName(context.voice->common, "AFTER");
        context.services->sendVoice();
        QVERIFY2(sim.waitFor("name \"AFTER   \""), sim.output().c_str());
        shell.shutDown();
    }

    // At a cable's pace the progress window counts the blocks as they
    // arrive, long before the bank is whole.
    void getBankShowsTheBlocksAsTheyArrive()
    {
        QVERIFY2(jackServerRunning(), "these tests need a JACK server (scripts/test.sh)");
        test::SimProcess sim({"--log", "--wire-rate", "125000"});
        QVERIFY2(sim.started(), sim.output().c_str());
        std::unique_ptr<AppShell> program = startProgram(sim);
        const AppContext& context = program->context();
        context.settings->model = kModelSy22;
        QStringList shown;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            for (QWidget* window : QApplication::topLevelWidgets())
                if (auto* progress = qobject_cast<QProgressDialog*>(window);
                    progress != nullptr && progress->objectName() == "BankProgress" && progress->isVisible()
                    && progress->labelText().startsWith("Received") && !shown.contains(progress->labelText()))
                    shown.push_back(progress->labelText());
        });
        look.start(10);
        context.MainForm->findChild<QAction*>("GetBank1")->trigger();
        look.stop();
        QVERIFY2(messages.isEmpty(), qPrintable(messages.join('\n')));
        QVERIFY2(shown.size() >= 8 && shown.front() != "Received 17 of 17 blocks.", qPrintable(shown.join('\n')));
        for (const QString& text : shown)
            QVERIFY2(text.endsWith(" of 17 blocks."), qPrintable(text));
        auto* window = context.MainForm->findChild<TBankEdit*>("BankEdit");
        QCOMPARE(window->Slots->item(7, 7)->text(), QStringLiteral("SIM 64  "));
        program->shutDown();
    }

private:
    // The whole program, its ports chosen as the simulator's; every message
    // box is read and closed with its default button, the send warning with
    // Yes.
    std::unique_ptr<AppShell> startProgram(const test::SimProcess& sim)
    {
        const QString store = dir.filePath("store.ini");
        {
            QSettings stored(store, QSettings::IniFormat);
            stored.setValue("MIDI Channel", "1");
            stored.setValue("In device name", QString::fromStdString(sim.outputPort()));
            stored.setValue("Out device name", QString::fromStdString(sim.inputPort()));
        }
        messages.clear();
        modal.setAnswerer([this](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            if (box == nullptr) {
                dialog.reject();
                return;
            }
            messages.push_back(box->text());
            box->button(box->objectName() == "SendBankWarning" ? QMessageBox::Yes : QMessageBox::Ok)->click();
        });
        auto shell = std::make_unique<AppShell>(*static_cast<MorvaneApplication*>(qApp), modal,
                                                std::make_unique<QSettings>(store, QSettings::IniFormat));
        shell->setMidiBackendFactory([] { return std::make_unique<SystemMidiBackend>(test::uniqueClientName("bankapp")); });
        shell->setLibraryPath(dir.filePath("SOUNDS.SYL").toStdString());
        shell->startUp();
        return shell;
    }

    QTemporaryDir dir;
    ModalHost modal;
    QStringList messages;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::BankJackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BankJackTest.moc"
