// Undo and redo across the editors, with the whole program made by the
// start-up sequence and an in-process MIDI system as the instrument.
#include "AppServices.h"
#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "MessageDialog.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "Settings.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TMainForm.h"
#include "TVoiceCommonEdit.h"
#include "UpDown.h"
#include "VoiceData.h"

#include <QAbstractSlider>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <cstring>
#include <functional>

namespace morvane {

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "0", midi);
        context().midiPort->setReplyWait(std::chrono::milliseconds(50));
        modal.setAnswerer([](QDialog& dialog) {
            if (auto* message = qobject_cast<MessageDialog*>(&dialog))
                message->buttons().front()->click();
        });
        context().settings->autoSend = true;
        for (QWidget* w : {static_cast<QWidget*>(context().MainForm), static_cast<QWidget*>(context().AWMEdit),
                           static_cast<QWidget*>(context().VoiceCommonEdit)}) {
            w->show();
            QVERIFY(QTest::qWaitForWindowExposed(w));
        }
    }
    void cleanup()
    {
        test::stopProgram(shell, dir, dir.filePath("store.ini"));
    }

    // Edits in two editors, then undo to the start and redo to the end,
    // with the whole voice checked at every step.
    void undoAndRedoWalkTheSteps()
    {
        QWidget& awm = *context().AWMEdit;
        QWidget& common = *context().VoiceCommonEdit;
        const std::vector<std::pair<QString, std::function<void()>>> edits{
            {"Undo Attack level", [&] { type(awm, "tfLevelAttack", "90"); }},
            {"Undo Pan", [&] { awm.findChild<QAbstractSlider*>("sbPan")->setSliderPosition(1); }},
            {"Undo Aftertouch AM", [&] { awm.setFocus(); common.findChild<QCheckBox*>("cbAftertouchAM")->click(); }},
            {"Undo Envelope type", [&] { choose(awm, "cbEnvType", 2); }},
            {"Undo Effect type", [&] { choose(common, "cbFXType", 5); }},
        };
        std::vector<VoiceParameters> states{voice()};
        for (const auto& [undoText, edit] : edits) {
            edit();
            QVERIFY2(!same(voice(), states.back()), qPrintable(undoText));
            states.push_back(voice());
            QCOMPARE(action("Undo1")->text(), QString(undoText).replace("Undo ", "&Undo "));
            QCOMPARE(editorAction(awm, "Undo")->text(), undoText);
        }
        QVERIFY(!action("Redo1")->isEnabled());
        for (std::size_t i = states.size() - 1; i > 0; --i) {
            action("Undo1")->trigger();
            QVERIFY(same(voice(), states[i - 1]));
        }
        QVERIFY(!action("Undo1")->isEnabled());
        QCOMPARE(awm.findChild<QLineEdit*>("tfLevelAttack")->text(), QStringLiteral("127"));
        for (std::size_t i = 1; i < states.size(); ++i) {
            QTest::keySequence(&common, QKeySequence(Qt::CTRL | Qt::Key_Y));  // from an editor window
            QVERIFY(same(voice(), states[i]));
        }
        QCOMPARE(awm.findChild<QComboBox*>("cbEnvType")->currentText(), QStringLiteral("Piano"));
    }

    void aHeldUpDownIsOneStepAndARefreshNone()
    {
        QWidget& awm = *context().AWMEdit;
        const VoiceParameters start = voice();
        QToolButton* up = awm.findChild<UpDown*>("udLFOSpeed")->findChild<QToolButton*>("up");
        for (int i = 0; i < 6; ++i)
            QTest::mouseClick(up, Qt::LeftButton);
        QCOMPARE(int(voice().elementA.lfoSpeed), 6);
        context().services->refreshEditors();
        QCOMPARE(history().steps(), std::size_t{1});
        action("Undo1")->trigger();
        QVERIFY(same(voice(), start));
    }

    void boxUndoDoesNotSwallowTheWindows()
    {
        QWidget& awm = *context().AWMEdit;
        type(awm, "tfDetune", "7");
        QLineEdit* box = awm.findChild<QLineEdit*>("tfDetune");
        QVERIFY(box->hasFocus());
        QTest::keySequence(box, QKeySequence(Qt::CTRL | Qt::Key_Z));
        QCOMPARE(int(voice().elementA.detune), 0);
        QCOMPARE(box->text(), QStringLiteral("0"));
    }

    void aFetchedVoiceIsAStepAndANewEditClearsRedo()
    {
        QWidget& awm = *context().AWMEdit;
        type(awm, "tfPitch", "5");
        const VoiceParameters edited = voice();
        midi->setOnSend([this](const std::vector<std::uint8_t>& message) {
            if (message.size() == kRequestSize) {
                VoiceParameters other{};
                VoiceData data(other);
                std::memcpy(other.common.name, "Fetched ", 8);
                const VoiceDump dump = data.encodeDump();
                midi->deliver({dump.begin(), dump.end()});
            }
        });
        awm.findChild<QPushButton*>("bGetVoice")->click();
        QCOMPARE(QByteArray(voice().common.name, 8), QByteArray("Fetched "));
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Load voice"));
        action("Undo1")->trigger();
        QVERIFY(same(voice(), edited));
        QVERIFY(action("Redo1")->isEnabled());
        type(awm, "tfDetune", "3");
        QVERIFY(!action("Redo1")->isEnabled());
    }

    // The FM and vector editors are made the first time they are shown, from
    // the main window's menu: then they show the voice as it is now, the
    // history and compare as the other windows do, and take part from then on.
    void anEditorMadeLaterShowsTheVoiceTheHistoryAndCompare()
    {
        QVERIFY(context().FMEdit.made() == nullptr);
        QVERIFY(context().VectorEdit.made() == nullptr);
        // A voice comes in whose FM feedback no new window shows by itself.
        context().voice->elementB.feedback = 5;
        context().services->voiceLoaded();
        context().services->refreshEditors();
        type(*context().AWMEdit, "tfDetune", "9");
        action("Compare1")->trigger();
        const int feedback = 5;
        action("ElementB1")->trigger();
        QWidget* fm = context().FMEdit.made();
        QVERIFY(fm != nullptr && fm->isVisible());
        QVERIFY(context().VectorEdit.made() == nullptr);
        QCOMPARE(editorAction(*fm, "Undo")->text(), editorAction(*context().AWMEdit, "Undo")->text());
        QCOMPARE(fm->findChild<QLineEdit*>("tfFeedback")->text(), QString::number(feedback));
        QVERIFY(editorAction(*fm, "Compare")->isChecked());
        action("Compare1")->trigger();
        QVERIFY(!editorAction(*fm, "Compare")->isChecked());
        // Undone from the new window, the edit goes in every window.
        QTest::keyClick(fm->findChild<QLineEdit*>("tfFeedback"), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(context().AWMEdit->findChild<QLineEdit*>("tfDetune")->text(), QString::number(context().voice->elementA.detune));
        QVERIFY(context().AWMEdit->findChild<QLineEdit*>("tfDetune")->text() != QStringLiteral("9"));
    }

    void undoSendsOnlyWithAutoSend()
    {
        type(*context().AWMEdit, "tfDetune", "9");
        context().midiPort->finishSending();
        std::size_t sent = midi->sent().size();
        action("Undo1")->trigger();
        context().midiPort->finishSending();
        QCOMPARE(midi->sent().size(), sent + 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(midi->sent().back().data()), int(kSyDumpSize)), dump());
        context().settings->autoSend = false;
        sent = midi->sent().size();
        action("Redo1")->trigger();
        context().midiPort->finishSending();
        QCOMPARE(int(voice().elementA.detune), 9);
        QCOMPARE(midi->sent().size(), sent);
    }

private:
    static MorvaneApplication* app() { return static_cast<MorvaneApplication*>(qApp); }
    const AppContext& context() const { return shell->context(); }
    VoiceParameters& voice() { return *context().voice; }
    const VoiceHistory& history() { return *context().services->history(); }
    QAction* action(const char* name) { return context().MainForm->findChild<QAction*>(name); }
    static QAction* editorAction(QWidget& editor, const char* name) { return editor.findChild<QAction*>(name); }
    static bool same(const VoiceParameters& a, const VoiceParameters& b) { return std::memcmp(&a, &b, sizeof a) == 0; }
    QByteArray dump() const
    {
        const VoiceDump dump = context().voiceData->encodeDump();
        return QByteArray(reinterpret_cast<const char*>(dump.data()), int(dump.size()));
    }
    static void type(QWidget& window, const char* boxName, const QString& text)
    {
        auto* box = window.findChild<QLineEdit*>(boxName);
        QApplication::setActiveWindow(&window);
        box->clearFocus();
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    static void choose(QWidget& window, const char* listName, int index)
    {
        auto* list = window.findChild<QComboBox*>(listName);
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    QTemporaryDir dir;
    ModalHost modal;
    std::unique_ptr<AppShell> shell;
    InProcessMidiBackend* midi = nullptr;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::UndoTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "UndoTest.moc"
