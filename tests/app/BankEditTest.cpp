// The bank window with the whole program made by the start-up sequence and
// an in-process MIDI system as the instrument: bank files in and out, voices
// dragged in from the library and across slots, a slot into the editors,
// the current voice into a slot, the bank into the library, and Get/Send
// bank from the MIDI menu.
#include "AppContext.h"
#include "AppShell.h"
#include "MorvaneApplication.h"
#include "LibraryBrowser.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "ProgramUnderTest.h"
#include "RandomVoice.h"
#include "Settings.h"
#include "TBankEdit.h"
#include "TMainForm.h"
#include "VoiceBank.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <cstring>
#include <fstream>

namespace morvane {

using Bytes = std::vector<std::uint8_t>;

class BankEditTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "1", midi);
        context().MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(context().MainForm));
        messages.clear();
        // Every message box is read and closed with its default button, the
        // send warning with Yes; the voice-type dialog is answered "Pad".
        modal.setAnswerer([this](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                messages.push_back(box->objectName() + ": " + box->text());
                auto* again = box->findChild<QPushButton*>("GetAgain");
                if (again != nullptr && getAgain) {
                    getAgain = false;
                    again->click();
                } else if (box->objectName() == "SendBankWarning")
                    box->button(sendAnswer)->click();
                else
                    box->button(QMessageBox::Ok)->click();
                return;
            }
            const QList<QCheckBox*> boxes = dialog.findChildren<QCheckBox*>();
            for (QCheckBox* check : boxes)
                if (check->isChecked() != (check == boxes.front()))
                    check->click();
            dialog.findChild<QPushButton*>("Okay")->click();
        });
    }
    void cleanup()
    {
        modal.setAnswerer({});
        test::stopProgram(shell, dir, dir.filePath("store.ini"));
    }

    void aBankFileIsOpenedShownAndSavedByteForByte()
    {
        action("BankWindow1")->trigger();
        TBankEdit* bank = window();
        QVERIFY(bank != nullptr && bank->isVisible());
        QVERIFY(bank->openBankFile(fixture()));
        QCOMPARE(cell(0), QStringLiteral("WispaRev"));
        QCOMPARE(bank->bank().layout(), DumpLayout::Tg33);
        QVERIFY(bank->saveBankFile(dir.filePath("again.syx")));
        QCOMPARE(read(dir.filePath("again.syx")), read(fixture()));

        // Damaged: told by block, whole voices kept, nothing saved.
        Bytes damaged = read(fixture());
        damaged[bankBlockStart(kTg33BankFormat, 5) + 100] ^= 1;
        write(dir.filePath("damaged.syx"), damaged);
        QVERIFY(bank->openBankFile(dir.filePath("damaged.syx")));
        QVERIFY(said("block 6"));
        QCOMPARE(cell(20), QStringLiteral("(empty)"));
        QCOMPARE(cell(0), QStringLiteral("WispaRev"));
        QVERIFY(!bank->saveBankFile(dir.filePath("refused.syx")));
        QVERIFY(said("4 slots are empty"));
        QVERIFY(!QFile::exists(dir.filePath("refused.syx")));
    }

    void voicesComeFromTheLibraryAndOtherSlotsAndGoToTheEditorsAndTheLibrary()
    {
        action("BankWindow1")->trigger();
        TBankEdit* bank = window();
        QVERIFY(bank->openBankFile(fixture()));
        const std::string second = bank->bank().name(1);

        // Dropped on a slot: a slot changes places with it; library rows fill
        // the slots from there on, converted to the bank's layout.
        drop(slotMime(1), 9);
        QCOMPARE(cell(9), QString::fromStdString(second));
        addToLibrary({"LIBVOICE1", "LIBVOICE2"});
        auto* list = context().MainForm->findChild<QListView*>("dbListBox");
        QModelIndexList rows{list->model()->index(0, 0), list->model()->index(1, 0)};
        drop(std::unique_ptr<QMimeData>(list->model()->mimeData(rows)), 62);
        QCOMPARE(cell(62), QStringLiteral("LIBVOICE"));
        QVERIFY(bank->BankState->text().contains("2 voices were converted to the TG-33 layout"));
        QCOMPARE(cell(63), QStringLiteral("LIBVOICE"));

        // A slot into the editors and to the instrument, as "Load voice" does.
        bank->selectSlot(9);
        bank->findChild<QPushButton*>("LoadSlot")->click();
        QCOMPARE(QByteArray(context().voice->common.name, 8), QByteArray(second.c_str(), 8));
        context().midiPort->finishSending();
        QVERIFY(!midi->sent().empty());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(midi->sent().back().data()) + 19, 8),
                 QByteArray(second.c_str(), 8));

        // The current voice into a slot.
        setVoiceName(context().voice->common, "CURRENT");
        bank->selectSlot(30);
        bank->findChild<QPushButton*>("PutVoice")->click();
        QCOMPARE(cell(30), QStringLiteral("CURRENT"));

        // All 64 into the library: the categories asked once, those there skipped.
        const int before = context().library->recordCount();
        bank->findChild<QPushButton*>("AddToLibrary")->click();
        QCOMPARE(context().library->recordCount(), before + 64 - 2);  // the two dropped in from it are there
        QVERIFY(bank->BankState->text().contains("already there"));
        QVERIFY(context().library->recordCategories(before) != 0);
    }

    void getAndSendBankGoThroughTheMidiMenu()
    {
        // The instrument answers a bank request with the real bank.
        const Bytes real = read(fixture());
        Settings& settings = *context().settings;
        settings.model = kModelTg33;
        midi->setOnSend([this, real](const Bytes& message) {
            if (bankRequestLayout(message.data(), message.size()))
                midi->deliver(real);
        });
        action("GetBank1")->trigger();
        TBankEdit* bank = window();
        QCOMPARE(cell(0), QStringLiteral("WispaRev"));
        QVERIFY(bank->BankState->text().contains("64 whole voices"));
        midi->setOnSend({});

        // Sent after the warning, in 16 pieces that make up the bank.
        bank->moveSlot(0, 1);
        const Bytes sent = bank->bank().encode(settings.midiChannel);
        const std::size_t before = midi->sent().size();
        action("SendBank1")->trigger();
        QVERIFY(said("memory protect is off"));
        const auto all = midi->sent();
        QCOMPARE(all.size() - before, std::size_t{16});
        Bytes joined;
        for (std::size_t i = before; i < all.size(); ++i)
            joined.insert(joined.end(), all[i].begin(), all[i].end());
        QVERIFY(joined == sent);
        QVERIFY(bank->BankState->text().contains("Sent the bank: 16 blocks"));

        // An SY bank needs multi data from a real bank: never sent without.
        VoiceBank sy(DumpLayout::Sy);
        for (int slot = 0; slot < kBankVoices; ++slot)
            sy.putVoice(slot, test::RandomVoice(slot).make());
        sy.setMulti(Bytes(kSyBankFormat.multiSize, 1));
        write(dir.filePath("sy.syx"), sy.encode(0));
        QVERIFY(bank->openBankFile(dir.filePath("sy.syx")));
        sendAnswer = QMessageBox::Cancel;
        const std::size_t sentBefore = midi->sent().size();
        action("SendBank1")->trigger();
        QVERIFY(said("and all its multis"));
        context().midiPort->finishSending();
        QCOMPARE(midi->sent().size(), sentBefore);  // cancelled at the warning
        sendAnswer = QMessageBox::Yes;
    }

    // A bank that arrives damaged is reported by block with its whole voices
    // kept, one that stops coming after some blocks is reported too, and
    // "Get again" in either report asks for the bank again.
    void aDamagedOrStoppedBankCanBeGotAgain()
    {
        const Bytes real = read(fixture());
        Bytes damaged = real;
        damaged[bankBlockStart(kTg33BankFormat, 5) + 100] ^= 1;
        const Bytes threeBlocks(real.begin(), real.begin() + static_cast<std::ptrdiff_t>(bankBlockStart(kTg33BankFormat, 3)));
        context().settings->model = kModelTg33;
        struct Case {
            bool stops;   // else damaged
            bool again;
            const char* told;
            int requests;
            QString slot20;
        };
        const QString whole20 = QString::fromStdString(readVoiceBank(real.data(), real.size()).bank.name(20)).trimmed();
        const Case cases[] = {
            {false, false, "block 6", 1, QStringLiteral("(empty)")},
            {false, true, "block 6", 2, whole20},
            {true, true, "stopped coming after 3 of its 16 blocks", 2, whole20},
        };
        for (const Case& c : cases) {
            int requests = 0;
            midi->setOnSend([&](const Bytes& message) {
                if (!bankRequestLayout(message.data(), message.size()))
                    return;
                if (++requests > 1)
                    midi->deliver(real);
                else if (c.stops)
                    midi->deliverPiece(threeBlocks);
                else
                    midi->deliver(damaged);
            });
            messages.clear();
            getAgain = c.again;
            action("GetBank1")->trigger();
            QVERIFY(said(c.told));
            QCOMPARE(requests, c.requests);
            QCOMPARE(cell(0), QStringLiteral("WispaRev"));
            QCOMPARE(cell(20), c.slot20);
            QCOMPARE(window()->bank().complete(), c.again);
        }
        midi->setOnSend({});
    }

private:
    const AppContext& context() { return shell->context(); }
    QAction* action(const char* name) { return context().MainForm->findChild<QAction*>(name); }
    TBankEdit* window() { return context().MainForm->findChild<TBankEdit*>("BankEdit"); }
    QString cell(int slot) { return window()->Slots->item(slot / 8, slot % 8)->text().trimmed(); }
    static QString fixture()
    {
        return QString::fromStdString((std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string());
    }
    static Bytes read(const QString& path)
    {
        std::ifstream in(path.toStdString(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const QString& path, const Bytes& bytes)
    {
        std::ofstream(path.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    bool said(const QString& part) const
    {
        for (const QString& message : messages)
            if (message.contains(part))
                return true;
        qWarning() << messages;
        return false;
    }
    static std::unique_ptr<QMimeData> slotMime(int slot)
    {
        auto mime = std::make_unique<QMimeData>();
        mime->setData("application/x-morvane-bank-slot", QByteArray::number(slot));
        return mime;
    }
    // A drop on the slot's cell, as the mouse would make it.
    void drop(std::unique_ptr<QMimeData> mime, int slot)
    {
        QTableWidget* table = window()->Slots;
        const QPoint at = table->visualRect(table->model()->index(slot / 8, slot % 8)).center();
        QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &enter);
        QDropEvent dropped(at, Qt::CopyAction | Qt::MoveAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(table->viewport(), &dropped);
    }
    void addToLibrary(const std::vector<const char*>& names)
    {
        VoiceParameters voice;
        VoiceData data(voice);
        for (const char* name : names) {
            voice = test::RandomVoice(static_cast<unsigned>(std::strlen(name))).make();
            setVoiceName(voice.common, name);
            QVERIFY(context().library->appendRecord(1, data));
        }
        context().MainForm->browser().fillList();
    }

    ModalHost modal;
    QTemporaryDir dir;
    std::unique_ptr<AppShell> shell;
    InProcessMidiBackend* midi = nullptr;
    QStringList messages;
    QMessageBox::StandardButton sendAnswer = QMessageBox::Yes;
    bool getAgain = false;   // the next "Get again" offered is taken
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::BankEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BankEditTest.moc"
