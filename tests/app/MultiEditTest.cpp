// The multi editor in the whole program, with an in-process MIDI system as
// the instrument: opened from the Edit menu, Get multi, a name typed, a
// part's volume changed, undone and redone from the keyboard, each change
// checked in the dumps sent; the instrument's silence and a damaged multi.
#include "AppContext.h"
#include "AppShell.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "Multi.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "Settings.h"
#include "TBankEdit.h"
#include "TMainForm.h"
#include "TMultiEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>

namespace morvane {

using Bytes = std::vector<std::uint8_t>;

class MultiEditTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "4", midi);
        context().MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(context().MainForm));
        // The instrument's multi: every part on, bytes nobody has explained set.
        instrument = initialMulti();
        std::copy_n("Strings!", 8, instrument.name.begin());
        for (int p = 0; p < kMultiParts; ++p) {
            instrument.parts[static_cast<std::size_t>(p)][PartField::On] = 1;
            instrument.parts[static_cast<std::size_t>(p)][PartField::Volume] = 90 + p;
            instrument.parts[static_cast<std::size_t>(p)].values[rowIndex(PartField::FirstKept) + 2] = p;
        }
        instrument.common[rowIndex(MultiField::FirstKept)] = 0x55;
    }
    void cleanup()
    {
        midi->setOnSend({});
        test::stopProgram(shell, dir, dir.filePath("store.ini"));
    }

    void getTypeChangeUndoAndRedoAsAUserDoes()
    {
        answerWith(instrument);
        action("Multi1")->trigger();
        TMultiEdit* edit = window();
        QVERIFY(edit != nullptr && edit->isVisible());
        QCOMPARE(edit->objectName(), QStringLiteral("MultiEdit"));
        QCOMPARE(action("Multi1")->text(), QStringLiteral("M&ulti..."));

        QTest::mouseClick(edit->bGetMulti, Qt::LeftButton);
        QVERIFY(edit->multi() == instrument);
        QCOMPARE(edit->tfMultiName->text(), QStringLiteral("Strings!"));
        QCOMPARE(box("tfVolume3")->text(), QStringLiteral("92"));
        QVERIFY(edit->MultiState->text().contains("received"));
        QCOMPARE(combo("cbVoice1")->currentText(), QStringLiteral("IA1"));
        const std::size_t sentBefore = midi->sent().size();

        // A name typed: each key sends the multi, on the program's channel.
        focus(edit->tfMultiName);
        edit->tfMultiName->selectAll();
        QTest::keyClicks(edit->tfMultiName, "Band");
        Multi named = instrument;
        std::copy_n("Band    ", 8, named.name.begin());
        QVERIFY(edit->multi() == named);
        QVERIFY(lastSent() == encodeMulti(named, channel()));
        QVERIFY(midi->sent().size() > sentBefore);

        // Part 3's volume typed, then undone and redone with the focus in its box.
        QLineEdit* volume = box("tfVolume3");
        focus(volume);
        volume->selectAll();
        QTest::keyClicks(volume, "64");
        Multi louder = named;
        louder.parts[2][PartField::Volume] = 64;
        QVERIFY(edit->multi() == louder);
        QVERIFY(lastSent() == encodeMulti(louder, channel()));
        QCOMPARE(edit->findChild<QAction*>("Undo")->text(), QStringLiteral("Undo Volume, part 3"));

        QTest::keyClick(volume, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(edit->multi() == named);
        QCOMPARE(volume->text(), QStringLiteral("92"));
        QVERIFY(lastSent() == encodeMulti(named, channel()));
        QTest::keyClick(edit->tfMultiName, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(edit->multi() == instrument);
        QCOMPARE(edit->tfMultiName->text(), QStringLiteral("Strings!"));
        QTest::keyClick(volume, Qt::Key_Y, Qt::ControlModifier);
        QVERIFY(edit->multi() == named);
        QTest::keyClick(volume, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QVERIFY(edit->multi() == louder);
        QVERIFY(lastSent() == encodeMulti(louder, channel()));

        // Steps of an up-down in a quick run are one undo step (begun after
        // the pause that ends the typed step).
        QTest::qWait(900);
        QTest::keyClick(volume, Qt::Key_Up);
        QTest::keyClick(volume, Qt::Key_Up);
        QTest::keyClick(volume, Qt::Key_Up);
        QCOMPARE(edit->multi().parts[2][PartField::Volume], 67);
        QTest::keyClick(volume, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(edit->multi() == louder);
        QTest::keyClick(volume, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(edit->multi().parts[2][PartField::Volume], 67);

        // A part's bank chosen: its voices are named by that bank's slots;
        // internal voices by their names where the bank window holds a bank.
        QComboBox* bank = combo("cbBank1");
        focus(bank);
        QTest::keyClick(bank, Qt::Key_Down);
        QCOMPARE(edit->multi().parts[0][PartField::Bank], 1);
        QCOMPARE(combo("cbVoice1")->currentText(), QStringLiteral("P1 A1"));
        QVERIFY(context().MainForm->bankEdit().openBankFile(
            QString::fromStdString((std::filesystem::path(MORVANE_FIXTURES) / "tg33-bank-backup.syx").string())));
        action("Multi1")->trigger();
        QCOMPARE(combo("cbVoice2")->currentText(), QStringLiteral("IA1 WispaRev"));

        // Send multi sends it as it stands.
        QTest::mouseClick(edit->bSendMulti, Qt::LeftButton);
        QVERIFY(lastSent() == encodeMulti(edit->multi(), channel()));
        QCOMPARE(edit->MultiState->text(), QStringLiteral("Multi sent."));
    }

    void silenceAndADamagedMultiChangeNothing()
    {
        action("Multi1")->trigger();
        TMultiEdit* edit = window();
        const Multi before = edit->multi();
        context().midiPort->setReplyWait(std::chrono::milliseconds(200));

        QTest::mouseClick(edit->bGetMulti, Qt::LeftButton);
        QVERIFY(edit->MultiState->text().contains("No multi came"));
        QVERIFY(edit->multi() == before);

        MultiDump damaged = encodeMulti(instrument, channel());
        damaged[100] ^= 1;
        midi->setOnSend([this, damaged](const Bytes& message) {
            if (isMultiRequest(message.data(), message.size()))
                midi->deliver(Bytes(damaged.begin(), damaged.end()));
        });
        QTest::mouseClick(edit->bGetMulti, Qt::LeftButton);
        QVERIFY2(edit->MultiState->text().contains("damaged: the multi dump's checksum"),
                 qPrintable(edit->MultiState->text()));
        QVERIFY(edit->multi() == before);
        QVERIFY(!edit->findChild<QAction*>("Undo")->isEnabled());
    }

    void aMultiFileIsOpenedSentAndSaved()
    {
        action("Multi1")->trigger();
        TMultiEdit* edit = window();
        const QString init =
            QString::fromStdString((std::filesystem::path(MORVANE_FIXTURES) / "tg33-multi-init-from-editor.syx").string());
        edit->loadMulti(instrument, "Get multi");
        QVERIFY(edit->openMultiFile(init));
        QVERIFY(edit->multi() == initialMulti());
        QVERIFY(lastSent() == encodeMulti(initialMulti(), channel()));
        QCOMPARE(edit->findChild<QAction*>("Undo")->text(), QStringLiteral("Undo Open multi"));

        const QString saved = dir.filePath("saved.syx");
        QVERIFY(edit->saveMultiFile(saved));
        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const MultiDump expected = encodeMulti(initialMulti());
        QCOMPARE(file.readAll(), QByteArray(reinterpret_cast<const char*>(expected.data()), int(expected.size())));

        // A damaged file: the reason shown, nothing changed or sent.
        QFile damaged(dir.filePath("damaged.syx"));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QByteArray bytes(reinterpret_cast<const char*>(expected.data()), int(expected.size()));
        bytes[50] = char(bytes[50] ^ 1);
        damaged.write(bytes);
        damaged.close();
        const std::size_t sentBefore = midi->sent().size();
        QVERIFY(!edit->openMultiFile(damaged.fileName()));
        QVERIFY(edit->MultiState->text().contains("was not opened: the multi dump's checksum"));
        QVERIFY(edit->multi() == initialMulti());
        QCOMPARE(midi->sent().size(), sentBefore);
    }

private:
    const AppContext& context() { return shell->context(); }
    QAction* action(const char* name) { return context().MainForm->findChild<QAction*>(name); }
    TMultiEdit* window() { return context().MainForm->findChild<TMultiEdit*>("MultiEdit"); }
    QLineEdit* box(const char* name) { return window()->findChild<QLineEdit*>(name); }
    QComboBox* combo(const char* name) { return window()->findChild<QComboBox*>(name); }
    // The user clicks into a control of the window: it is the active window.
    void focus(QWidget* control)
    {
        QApplication::setActiveWindow(window());
        control->setFocus();
    }
    MidiChannel channel() { return MidiChannel::lowNibble(context().settings->midiChannel); }
    // The instrument answers the multi request with `multi`.
    void answerWith(const Multi& multi)
    {
        midi->setOnSend([this, multi](const Bytes& message) {
            if (isMultiRequest(message.data(), message.size())) {
                const MultiDump dump = encodeMulti(multi, channelOfDeviceByte(message[kDeviceByte]));
                midi->deliver(Bytes(dump.begin(), dump.end()));
            }
        });
    }
    // The last multi dump sent, once the paced queue has run empty.
    MultiDump lastSent()
    {
        context().midiPort->finishSending();
        const auto sent = midi->sent();
        for (auto it = sent.rbegin(); it != sent.rend(); ++it)
            if (isMultiDump(it->data(), it->size()) && it->size() == kMultiDumpSize) {
                MultiDump dump{};
                std::copy(it->begin(), it->end(), dump.begin());
                return dump;
            }
        return {};
    }

    ModalHost modal;
    QTemporaryDir dir;
    std::unique_ptr<AppShell> shell;
    InProcessMidiBackend* midi = nullptr;
    Multi instrument;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::MultiEditTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MultiEditTest.moc"
