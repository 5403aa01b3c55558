// "Find instrument" in "Select MIDI Devices", driven as a user drives it,
// through a real JACK server with morvane-sim processes as instruments.
#include "MidiPort.h"
#include "SystemMidiBackend.h"
#include "Settings.h"
#include "SimProcess.h"
#include "TFindInstrument.h"
#include "TSetDevices.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using morvane::SystemMidiBackend;
using morvane::test::SimProcess;

namespace {

std::unique_ptr<SimProcess> startSim(std::vector<std::string> options)
{
    auto sim = std::make_unique<SimProcess>(std::move(options));
    if (!sim->started())
        qWarning("%s", sim->output().c_str());
    return sim;
}

} // namespace

class FindInstrumentTest : public QObject {
    Q_OBJECT

private:
    // The dialog over the program's port, its stored choices those of a
    // simulator that never answers.
    struct Rig {
        QTemporaryDir dir;
        morvane::Settings settings{std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat)};
        std::unique_ptr<morvane::MidiPort> port;
        std::unique_ptr<morvane::TSetDevices> dialog;
        std::vector<std::string> reports;

        Rig(const SimProcess& stored, int channel, int model)
        {
            settings.inDeviceName = QString::fromStdString(stored.outputPort());
            settings.outDeviceName = QString::fromStdString(stored.inputPort());
            settings.midiChannel = channel;
            settings.model = model;
            port = std::make_unique<morvane::MidiPort>(
                std::make_unique<SystemMidiBackend>(morvane::test::uniqueClientName("app"), SystemMidiBackend::System::Jack),
                [this](const std::string& text) { reports.push_back(text); });
            morvane::PortChoice in{stored.outputPort(), -1};
            morvane::PortChoice out{stored.inputPort(), -1};
            port->open(in, out);
            dialog = std::make_unique<morvane::TSetDevices>(settings, *port);
            dialog->setSearchBackendFactory([] {
                return [](const std::string& name) -> std::unique_ptr<morvane::MidiBackend> {
                    return std::make_unique<SystemMidiBackend>(name, SystemMidiBackend::System::Jack);
                };
            });
            // A generous wait per output: the simulators answer within
            // milliseconds, but a busy machine can hold them up for longer
            // than an instrument ever takes.
            find().setReplyWait(std::chrono::seconds(2));
            dialog->show();
        }

        morvane::TFindInstrument& find() { return dialog->findWindow(); }

        // "Find instrument", then "Start"; returns the progress lines shown
        // while the window waited, once the search has ended.
        QStringList search(const std::vector<const SimProcess*>& sims,
                           const std::function<void(const QString&)>& onProgress = {})
        {
            // The lists show every simulator (a busy MIDI system may have
            // listed fewer ports at first; the open window reads them again).
            const auto listed = [this, &sims] {
                for (const SimProcess* sim : sims)
                    if (dialog->lbOutputs->findItems(QString::fromStdString(sim->inputPort()), Qt::MatchExactly).isEmpty()
                        || dialog->lbInputs->findItems(QString::fromStdString(sim->outputPort()), Qt::MatchExactly).isEmpty())
                        return false;
                return true;
            };
            [&] { QTRY_VERIFY_WITH_TIMEOUT(listed(), 10000); }();
            QTest::mouseClick(dialog->bFindInstrument, Qt::LeftButton);
            [&] { QVERIFY(QTest::qWaitForWindowExposed(&find())); }();
            QTest::mouseClick(find().bStart, Qt::LeftButton);
            QStringList shown;
            for (int i = 0; i < 3000 && find().searching(); ++i) {
                const QString text = find().lblProgress->text();
                if (shown.isEmpty() || shown.back() != text) {
                    shown << text;
                    if (onProgress)
                        onProgress(text);
                }
                QTest::qWait(10);
            }
            return shown;
        }

        QString row(const QListWidget* list) const
        {
            return list->currentItem() ? list->currentItem()->text() : QString();
        }

        // None of the search's own ports is left on the MIDI system.
        void verifyNothingLeftOpen() const
        {
            SystemMidiBackend look(morvane::test::uniqueClientName("look"), SystemMidiBackend::System::Jack);
            for (const auto& names : {look.inputNames(), look.outputNames()})
                for (const std::string& name : names)
                    QVERIFY2(name.find("morvane-find") == std::string::npos, name.c_str());
        }
    };

private slots:
    void initTestCase()
    {
        QVERIFY2(morvane::jackServerRunning(), "No JACK server is reachable; run bash scripts/test.sh.");
    }

    void whatAnswersIsSelectedAndStoredOnlyOnOkay_data()
    {
        QTest::addColumn<QStringList>("simOptions");
        QTest::addColumn<int>("modelBefore");
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("model");
        QTest::addColumn<QString>("said");
        QTest::newRow("TG-33 on device 6") << QStringList{"--device", "6", "--model", "tg33"} << 0 << 5 << 2
                                           << "TG-33 on %1, device 6.";
        QTest::newRow("SY on device 3 keeps SY-35") << QStringList{"--device", "3", "--model", "sy"} << 1 << 2 << 1
                                                    << "SY-35 on %1, device 3.";
    }
    void whatAnswersIsSelectedAndStoredOnlyOnOkay()
    {
        QFETCH(QStringList, simOptions);
        QFETCH(int, modelBefore);
        QFETCH(int, channel);
        QFETCH(int, model);
        QFETCH(QString, said);
        auto silent = startSim({"--silent"});
        std::vector<std::string> options;
        for (const QString& option : simOptions)
            options.push_back(option.toStdString());
        auto instrument = startSim(options);
        QVERIFY(silent->started() && instrument->started());
        Rig rig(*silent, 9, modelBefore);

        const QStringList progress = rig.search({silent.get(), instrument.get()});
        QVERIFY(rig.find().lblExplain->text().contains("sends a request for the voice"));
        // The window painted the progress while the search ran.
        QVERIFY2(std::any_of(progress.begin(), progress.end(), [](const QString& t) { return t.startsWith("Output "); }),
                 qPrintable(progress.join(" | ")));

        const QString instrumentIn = QString::fromStdString(instrument->inputPort());
        const QString instrumentOut = QString::fromStdString(instrument->outputPort());
        QVERIFY2(rig.find().lblResult->text().startsWith(said.arg(instrumentIn)),
                 qPrintable(rig.find().lblResult->text() + "\nThe instrument's log:\n"
                            + QString::fromStdString(instrument->output())));
        QCOMPARE(rig.find().bCancel->text(), QString("&Close"));
        QCOMPARE(rig.row(rig.dialog->lbInputs), instrumentOut);
        QCOMPARE(rig.row(rig.dialog->lbOutputs), instrumentIn);
        QCOMPARE(rig.dialog->cbMIDIChannel->currentIndex(), channel);
        QCOMPARE(rig.dialog->cbModel->currentIndex(), model);
        QVERIFY(rig.dialog->lblMessage->text().contains(said.arg(instrumentIn)));
        rig.verifyNothingLeftOpen();

        // Nothing is stored or reopened before Okay.
        QCOMPARE(rig.settings.inDeviceName.toStdString(), silent->outputPort());
        QCOMPARE(rig.settings.midiChannel, 9);
        QCOMPARE(rig.port->chosenOutput(), silent->inputPort());
        QTest::mouseClick(rig.find().bCancel, Qt::LeftButton);
        QVERIFY(!rig.find().isVisible());
        QTest::mouseClick(rig.dialog->BitBtn1, Qt::LeftButton);
        QCOMPARE(rig.settings.inDeviceName, instrumentOut);
        QCOMPARE(rig.settings.outDeviceName, instrumentIn);
        QCOMPARE(rig.settings.midiChannel, channel);
        QCOMPARE(rig.settings.model, model);
        QCOMPARE(rig.port->chosenOutput(), instrument->inputPort());
        QVERIFY(rig.port->inputIsOpen() && rig.port->outputIsOpen());
        QVERIFY(rig.reports.empty());
    }

    void withNoInstrumentItSaysWhatItTried()
    {
        auto silent = startSim({"--silent"});
        QVERIFY(silent->started());
        Rig rig(*silent, 4, 0);
        rig.search({silent.get()});
        const QString said = rig.find().lblResult->text();
        QVERIFY2(said.startsWith("No instrument answered. Tried "), qPrintable(said));
        QVERIFY2(said.contains(QString::fromStdString(silent->inputPort())), qPrintable(said));
        QCOMPARE(rig.row(rig.dialog->lbOutputs).toStdString(), silent->inputPort());
        QCOMPARE(rig.dialog->cbMIDIChannel->currentIndex(), 4);
        rig.verifyNothingLeftOpen();
    }

    void cancelHalfWayLeavesTheChoicesAsTheyWere()
    {
        std::vector<std::unique_ptr<SimProcess>> sims;
        for (int i = 0; i < 4; ++i) {
            sims.push_back(startSim({"--silent"}));
            QVERIFY(sims.back()->started());
        }
        Rig rig(*sims[1], 7, 2);
        rig.search({sims[0].get(), sims[1].get(), sims[2].get(), sims[3].get()}, [&rig](const QString& progress) {
            if (progress.startsWith("Output 2 of"))
                QTest::mouseClick(rig.find().bCancel, Qt::LeftButton);
        });
        QCOMPARE(rig.find().lblResult->text(), QString("The search was cancelled; nothing was changed."));
        QCOMPARE(rig.row(rig.dialog->lbInputs).toStdString(), sims[1]->outputPort());
        QCOMPARE(rig.row(rig.dialog->lbOutputs).toStdString(), sims[1]->inputPort());
        QCOMPARE(rig.dialog->cbMIDIChannel->currentIndex(), 7);
        QCOMPARE(rig.dialog->cbModel->currentIndex(), 2);
        QVERIFY(rig.dialog->lblMessage->text().isEmpty());
        rig.verifyNothingLeftOpen();
        QTest::mouseClick(rig.find().bCancel, Qt::LeftButton);
        QTest::mouseClick(rig.dialog->BitBtn1, Qt::LeftButton);
        QCOMPARE(rig.settings.outDeviceName.toStdString(), sims[1]->inputPort());
        QCOMPARE(rig.settings.midiChannel, 7);
        QCOMPARE(rig.settings.model, 2);
    }
};

QTEST_MAIN(FindInstrumentTest)
#include "FindInstrumentTest.moc"
