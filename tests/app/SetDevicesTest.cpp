#include "TSetDevices.h"

#include "InProcessMidiBackend.h"
#include "MidiPort.h"
#include "Settings.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <thread>

using morvane::InProcessMidiBackend;
using Action = InProcessMidiBackend::Action;
using Call = InProcessMidiBackend::Call;

class SetDevicesTest : public QObject {
    Q_OBJECT

private:
    struct Rig {
        QTemporaryDir dir;
        morvane::Settings settings{std::make_unique<QSettings>(dir.filePath("settings.ini"), QSettings::IniFormat)};
        InProcessMidiBackend* backend = nullptr;
        std::vector<std::string> reports;
        std::unique_ptr<morvane::MidiPort> port;
        std::unique_ptr<morvane::TSetDevices> dialog;

        Rig(int inDevice, int outDevice, int channel)
        {
            settings.inDevice = inDevice;
            settings.outDevice = outDevice;
            settings.midiChannel = channel;
            auto owned = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"In A", "In B", "In C"},
                                                                std::vector<std::string>{"Out A", "Out B"});
            backend = owned.get();
            port = std::make_unique<morvane::MidiPort>(std::move(owned),
                                                       [this](const std::string& text) { reports.push_back(text); });
            port->open(settings.inDevice, settings.outDevice);
            dialog = std::make_unique<morvane::TSetDevices>(settings, *port);
            dialog->populate();
            dialog->show();
            backend->clearCalls();
            reports.clear();
        }
    };

    static void clickLine(QListWidget* list, int row)
    {
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

private slots:
    void looksAsLaidOut()
    {
        Rig rig(0, 0, 0);
        QCOMPARE(rig.dialog->windowTitle(), QString("Select MIDI Devices"));
        QCOMPARE(rig.dialog->size(), QSize(298, 560));
        // Tests and scripts find every control by its name.
        for (const char* name : {"lbInputs", "lbOutputs", "cbMIDIChannel", "cbModel", "BitBtn1", "bRefresh",
                                 "bFindInstrument"})
            QVERIFY2(rig.dialog->findChild<QWidget*>(name) != nullptr, name);
        QCOMPARE(rig.dialog->cbModel->count(), 3);
        QCOMPARE(rig.dialog->cbModel->itemText(2), QString("TG-33"));
        // Without a MIDI system to search with there is nothing to find.
        QVERIFY(!rig.dialog->bFindInstrument->isEnabled());
        QCOMPARE(rig.dialog->Image1->width(), 89);
        QCOMPARE(rig.dialog->cbMIDIChannel->count(), 16);
        QCOMPARE(rig.dialog->cbMIDIChannel->itemText(0), QString("1"));
        QCOMPARE(rig.dialog->cbMIDIChannel->itemText(15), QString("16"));
        QCOMPARE(rig.dialog->BitBtn1->text(), QString("&Okay"));
    }

    void populateShowsTheDevicesAndTheStoredChoices()
    {
        Rig rig(2, 1, 9);
        QCOMPARE(rig.dialog->lbInputs->count(), 3);
        QCOMPARE(rig.dialog->lbInputs->item(1)->text(), QString("In B"));
        QCOMPARE(rig.dialog->lbOutputs->count(), 2);
        QCOMPARE(rig.dialog->lbInputs->currentRow(), 2);
        QCOMPARE(rig.dialog->lbOutputs->currentRow(), 1);
        QCOMPARE(rig.dialog->cbMIDIChannel->currentText(), QString("10"));
        // Filling the window picks nothing.
        QVERIFY(rig.backend->calls().empty());
    }

    void aDeviceThatIsGoneShowsNoSelectionAndAPickRepairsIt()
    {
        Rig rig(0, 7, 0);
        QCOMPARE(rig.dialog->lbOutputs->currentRow(), -1);
        clickLine(rig.dialog->lbOutputs, 1);
        QCOMPARE(rig.settings.outDevice, 1);
        QVERIFY(rig.port->inputIsOpen());
        QVERIFY(rig.port->outputIsOpen());
    }

    void aPickReopensBothDirections_data()
    {
        QTest::addColumn<bool>("input");
        QTest::addColumn<int>("row");
        QTest::newRow("input list") << true << 2;
        QTest::newRow("output list") << false << 1;
        QTest::newRow("input line already chosen") << true << 0;
    }

    void aPickReopensBothDirections()
    {
        QFETCH(bool, input);
        QFETCH(int, row);
        Rig rig(0, 0, 4);
        clickLine(input ? rig.dialog->lbInputs : rig.dialog->lbOutputs, row);
        const int in = input ? row : 0;
        const int out = input ? 0 : row;
        QCOMPARE(rig.settings.inDevice, in);
        QCOMPARE(rig.settings.outDevice, out);
        const std::vector<Call> expected{
            {Action::CloseInput, -1}, {Action::CloseOutput, -1}, {Action::OpenInput, in}, {Action::OpenOutput, out}};
        QVERIFY(rig.backend->calls() == expected);
        QCOMPARE(rig.settings.midiChannel, 4);
    }

    void aKeyboardMovePicksToo()
    {
        Rig rig(0, 0, 0);
        rig.dialog->lbInputs->setFocus();
        QTest::keyClick(rig.dialog->lbInputs, Qt::Key_Down);
        QCOMPARE(rig.settings.inDevice, 1);
        QCOMPARE(rig.backend->openInputIndex(), 1);
        QCOMPARE(rig.backend->openOutputIndex(), 0);
    }

    void aFailedOpenIsReportedAndTheOtherDirectionStillOpens()
    {
        Rig rig(0, 0, 0);
        rig.backend->failInput(1, "In B is busy");
        clickLine(rig.dialog->lbInputs, 1);
        QCOMPARE(rig.reports, std::vector<std::string>{"In B is busy"});
        QVERIFY(!rig.port->inputIsOpen());
        QVERIFY(rig.port->outputIsOpen());
    }

    void channelSixteenStoresFifteenAndLeavesThePortsAlone()
    {
        Rig rig(0, 0, 0);
        rig.dialog->cbMIDIChannel->setFocus();
        QTest::keyClick(rig.dialog->cbMIDIChannel, Qt::Key_End);
        QCOMPARE(rig.dialog->cbMIDIChannel->currentText(), QString("16"));
        QCOMPARE(rig.settings.midiChannel, 15);
        QVERIFY(rig.backend->calls().empty());
        // Only the user changes the setting; the program moving the list does not.
        rig.dialog->cbMIDIChannel->setCurrentIndex(3);
        QCOMPARE(rig.settings.midiChannel, 15);
    }

    void theModelIsShownAndAPickStoresItAtOnce()
    {
        Rig rig(0, 0, 0);
        int told = 0;
        rig.dialog->setModelListener([&told] { ++told; });
        rig.settings.model = 1;
        rig.dialog->hide();
        rig.dialog->show();
        QCOMPARE(rig.dialog->cbModel->currentText(), QString("SY-35"));
        rig.dialog->cbModel->setFocus();
        QTest::keyClick(rig.dialog->cbModel, Qt::Key_Down);
        QCOMPARE(rig.settings.model, 2);
        QCOMPARE(told, 1);
        QVERIFY(rig.backend->calls().empty());
    }

    void aPickStoresTheDeviceByNameBesideItsPlace()
    {
        Rig rig(0, 0, 0);
        clickLine(rig.dialog->lbInputs, 2);
        QCOMPARE(rig.settings.inDeviceName, QString("In C"));
        QCOMPARE(rig.settings.inDevice, 2);
        // The other direction is learnt by name as it is reopened.
        QCOMPARE(rig.settings.outDeviceName, QString("Out A"));
    }

    void theListsAreReadAfreshOnEveryShowingAndOnRefresh()
    {
        Rig rig(0, 0, 0);
        rig.settings.inDeviceName = "In B";
        rig.settings.inDevice = 1;
        rig.dialog->hide();
        // A device started meanwhile, ahead of the chosen one.
        rig.backend->setDevices({"In A", "New in", "In B"}, {"Out A"});
        rig.dialog->show();
        QCOMPARE(rig.dialog->lbInputs->count(), 3);
        QCOMPARE(rig.dialog->lbInputs->currentRow(), 2);  // found by its name
        QCOMPARE(rig.dialog->lbOutputs->count(), 1);

        rig.backend->setDevices({"In B"}, {"Out A", "Out Z"});
        QTest::mouseClick(rig.dialog->bRefresh, Qt::LeftButton);
        QCOMPARE(rig.dialog->lbInputs->count(), 1);
        QCOMPARE(rig.dialog->lbInputs->currentRow(), 0);
        QCOMPARE(rig.dialog->lbOutputs->item(1)->text(), QString("Out Z"));
        QVERIFY(rig.backend->calls().empty());  // looking opens nothing
    }

    // Start-up asks the instrument for its voice as soon as the ports are
    // open, and on JACK that send waits until the new connection settles.
    // Filling the dialog meanwhile takes the lists the port made moments
    // before and does not wait for the output.
    void startUpFillsTheListsWithoutWaitingForASendInProgress()
    {
        Rig rig(0, 0, 0);
        // The request's send is held until let go.
        auto sending = std::make_shared<std::promise<void>>();
        auto release = std::make_shared<std::promise<void>>();
        std::future<void> sent = sending->get_future();
        std::shared_future<void> released = release->get_future().share();
        auto first = std::make_shared<std::atomic<bool>>(true);
        rig.backend->setOnSend([sending, released, first](const std::vector<std::uint8_t>&) {
            if (first->exchange(false)) {
                sending->set_value();
                released.wait();
            }
        });
        QVERIFY(!rig.port->askVoiceEarly(0, 0));
        sent.wait();
        // Lets the send go if filling the lists waits for it after all.
        std::promise<void> filled;
        std::atomic<bool> hadToLetGo{false};
        std::thread watchdog([done = filled.get_future(), release, &hadToLetGo]() mutable {
            if (done.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
                hadToLetGo = true;
                release->set_value();
            }
        });
        rig.dialog->populate();
        filled.set_value();
        watchdog.join();
        if (!hadToLetGo)
            release->set_value();
        QVERIFY(!hadToLetGo);
        QCOMPARE(rig.dialog->lbOutputs->count(), 2);
        QCOMPARE(rig.dialog->lbInputs->currentRow(), 0);
    }

    void theOpenWindowShowsDevicesAsTheyAppear()
    {
        Rig rig(0, 0, 0);
        rig.backend->setDevices({"In A", "In B", "In C", "Instrument out"}, {"Out A", "Out B", "Instrument in"});
        QTRY_COMPARE_WITH_TIMEOUT(rig.dialog->lbInputs->count(), 4, 3 * morvane::TSetDevices::kListWatchMs);
        QCOMPARE(rig.dialog->lbOutputs->item(2)->text(), QString("Instrument in"));
        clickLine(rig.dialog->lbOutputs, 2);
        QCOMPARE(rig.backend->openOutputIndex(), 2);
    }

    void okayClosesWithResultOne()
    {
        Rig rig(0, 0, 0);
        QTest::mouseClick(rig.dialog->BitBtn1, Qt::LeftButton);
        QCOMPARE(rig.dialog->result(), 1);
        QVERIFY(!rig.dialog->isVisible());
    }
};

QTEST_MAIN(SetDevicesTest)
#include "SetDevicesTest.moc"
