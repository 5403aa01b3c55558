// Playing the editor with the whole program made by the start-up sequence
// and an in-process MIDI system as the instrument: the morph pad, guided
// variation and hardware controllers.
#include "AppServices.h"
#include "ControllerLink.h"
#include "TAWMEdit.h"
#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "ManualClock.h"
#include "MidiPort.h"
#include "ModalHost.h"
#include "MorphPad.h"
#include "ExploreWindow.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "RandomVoice.h"
#include "Settings.h"
#include "TMainForm.h"
#include "VoiceData.h"
#include "VoiceFields.h"
#include "VoiceFile.h"
#include "VoiceLibrary.h"
#include "VoiceTransforms.h"
#include "LibraryBrowser.h"

#include <QAbstractSlider>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QListWidget>
#include <QCheckBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace morvane {

class PlayEditorTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        // The clock moves only when a test moves it; sends keep to the
        // cable's pace on it, so what waits for the cable is seen.
        shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "3", midi, clock.now());
        QCOMPARE(context().settings->wireRate, 31250);
        context().MainForm->show();
        QVERIFY(QTest::qWaitForWindowExposed(context().MainForm));
        start = voice();
    }
    void cleanup()
    {
        modal.setAnswerer({});
        test::stopProgram(shell, dir, dir.filePath("store.ini"));
    }

    // Corners from the current voice, files and the library; a drag sends
    // the point's voice through the paced path, which keeps only the newest
    // while the cable is busy; Keep is one undo step; closing sends the
    // edited voice back.
    void morphPadCornersDragKeep()
    {
        VoiceParameters b = test::RandomVoice(2).make(), c = test::RandomVoice(3).make(), d = test::RandomVoice(4).make();
        std::memcpy(c.common.name, "Library ", 8);
        const QString fileB = writeVoice("b.syx", b), fileD = writeVoice("d.syx", d);

        action("MorphPad1")->trigger();
        auto* pad = context().MainForm->findChild<TMorphPad*>("MorphPad");
        QVERIFY(pad != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(pad));
        QVERIFY(!button(pad, "bKeep")->isEnabled());

        // What cannot fill a corner is said, and the corner stays empty.
        QFile notAVoice(dir.filePath("text.syx"));
        QVERIFY(notAVoice.open(QIODevice::WriteOnly));
        notAVoice.write("not a voice");
        notAVoice.close();
        const struct {
            const char* button;
            QString file;
            const char* said;
        } refused[] = {{"bLibraryC", {}, "Select a voice in the library list"},
                       {"bFileB", dir.filePath("text.syx"), "text.syx: "}};
        for (const auto& r : refused) {
            const QString said = answerWith(r.file, [&] { button(pad, r.button)->click(); });
            QVERIFY2(said.contains(r.said), qPrintable(said));
        }
        QVERIFY(!pad->corner(1) && !pad->corner(2));
        {  // a voice in the library, selected in its list
            VoiceParameters copy;
            VoiceData data(copy);
            copy = c;
            QVERIFY(context().library->appendRecord(1, data).ok());
        }
        context().MainForm->browser().fillList();

        button(pad, "bCurrentA")->click();
        answerWith(fileB, [&] { button(pad, "bFileB")->click(); });
        auto* list = context().MainForm->findChild<QListView*>("dbListBox");
        list->setCurrentIndex(list->model()->index(list->model()->rowCount() - 1, 0));
        button(pad, "bLibraryC")->click();
        QVERIFY(!button(pad, "bKeep")->isEnabled());
        answerWith(fileD, [&] { button(pad, "bFileD")->click(); });
        QVERIFY(button(pad, "bKeep")->isEnabled());
        QVERIFY(same(*pad->corner(0), start));
        QVERIFY(pad->corner(1)->elementA.waveform == b.elementA.waveform);
        QCOMPARE(QByteArray(pad->corner(2)->common.name, 8), QByteArray("Library "));
        QVERIFY(pad->findChild<QLabel*>("lCornerC")->text().contains("Library"));
        // The point starts on A: the instrument got A's voice.
        settle();
        QCOMPARE(lastDump().mid(4), dumpOf(start).mid(4));

        // A drag of 20 moves and a key while the clock stands: the cable
        // takes the first, and while it is busy each newer voice takes the
        // place of the one that waits, so at most two go out, the last one
        // the point's voice.
        const int before = dumps();
        MorphSquare* square = pad->square();
        square->setFocus();
        const QRect r = square->rect();
        QTest::mousePress(square, Qt::LeftButton, {}, r.center());
        for (int i = 1; i <= 20; ++i)
            QTest::mouseMove(square, r.center() + QPoint(i * 2, -i * 2));
        QTest::mouseRelease(square, Qt::LeftButton, {}, r.center() + QPoint(40, -40));
        QTest::keyClick(square, Qt::Key_Right);
        const QPointF at = square->point();
        QVERIFY2(at.x() > 0.5 && at.y() > 0.5, qPrintable(QStringLiteral("%1 %2").arg(at.x()).arg(at.y())));
        QTest::qWait(250);  // the sending thread hands over what is due
        QVERIFY(dumps() <= before + 1);
        const VoiceParameters morphed = morphVoices(*pad->corner(0), *pad->corner(1), *pad->corner(2),
                                                    *pad->corner(3), at.x(), at.y());
        settle();
        QVERIFY(dumps() > before && dumps() <= before + 2);
        QCOMPARE(lastDump().mid(4), dumpOf(morphed).mid(4));
        QVERIFY(same(voice(), start));  // the editors' voice is untouched

        button(pad, "bKeep")->click();
        QVERIFY(same(voice(), morphed));
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Morph"));
        action("Undo1")->trigger();
        QVERIFY(same(voice(), start));

        // Moved again and closed without keeping: the instrument gets the
        // edited voice back.
        QTest::keyClick(square, Qt::Key_Down, Qt::ShiftModifier);
        pad->close();
        settle();
        QCOMPARE(lastDump().mid(4), dumpOf(start).mid(4));
    }

    // Explore: rounds from a typed seed come again the same; a click sends a
    // variation and plays the test note; parents make the next round, Back
    // returns, Keep is one undo step; a blend needs library voices.
    void exploreRoundsHearBackKeep()
    {
        // Sent at once: the order of what goes out is what counts here.
        services().setWireRate(0);
        action("Explore1")->trigger();
        auto* window = context().MainForm->findChild<TExplore*>("Explore");
        QVERIFY(window != nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(!button(window, "bVariation1")->isEnabled());
        window->findChild<QSpinBox*>("seAmount")->setValue(40);
        window->findChild<QSpinBox*>("seSeed")->setValue(123);

        // A blend with an empty library is said; nothing starts.
        window->findChild<QRadioButton*>("rbBlend")->setChecked(true);
        const QString said = answerWith({}, [&] { button(window, "bStart")->click(); });
        QVERIFY2(said.contains("no voice to blend"), qPrintable(said));
        QVERIFY(window->exploration() == nullptr);

        window->findChild<QRadioButton*>("rbRandomise")->setChecked(true);
        button(window, "bStart")->click();
        QVERIFY(window->exploration() != nullptr);
        const std::vector<VoiceParameters> first = window->exploration()->variations();
        button(window, "bStart")->click();
        QVERIFY(sameVoices(window->exploration()->variations(), first));
        QVERIFY(!button(window, "bKeep")->isEnabled());
        QVERIFY(!button(window, "bNext")->isEnabled());
        // Heard: the variation's voice, then the test note that sounds it.
        settle();
        const std::size_t sentBefore = midi->sent().size();
        button(window, "bVariation3")->click();
        settle();
        const std::vector<std::vector<std::uint8_t>> sent = midi->sent();
        QVERIFY(sent.size() >= sentBefore + 2);
        QCOMPARE(sent[sentBefore].size(), kSyDumpSize);
        QCOMPARE(lastDump().mid(4), dumpOf(first[2]).mid(4));
        QCOMPARE(sent[sentBefore + 1], (std::vector<std::uint8_t>{0x93, 60, 100}));
        QVERIFY(same(voice(), start));

        window->findChild<QCheckBox*>("cbParent3")->setChecked(true);
        window->findChild<QCheckBox*>("cbParent5")->setChecked(true);
        button(window, "bNext")->click();
        QVERIFY(window->findChild<QLabel*>("lRound")->text().startsWith("Round 2"));
        QVERIFY(!sameVoices(window->exploration()->variations(), first));
        QVERIFY(!window->findChild<QCheckBox*>("cbParent3")->isChecked());
        QVERIFY(!button(window, "bKeep")->isEnabled());  // nothing heard in this round yet
        const std::vector<VoiceParameters> second = window->exploration()->variations();
        button(window, "bBack")->click();
        QVERIFY(sameVoices(window->exploration()->variations(), first));
        QVERIFY(!button(window, "bBack")->isEnabled());
        window->findChild<QCheckBox*>("cbParent3")->setChecked(true);
        window->findChild<QCheckBox*>("cbParent5")->setChecked(true);
        button(window, "bNext")->click();
        QVERIFY(sameVoices(window->exploration()->variations(), second));

        button(window, "bVariation8")->click();
        button(window, "bKeep")->click();
        QVERIFY(same(voice(), second[7]));
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Explore"));
        action("Undo1")->trigger();
        QVERIFY(same(voice(), start));

        // Heard and closed without keeping: the edited voice goes back.
        button(window, "bVariation1")->click();
        window->close();
        settle();
        QCOMPARE(lastDump().mid(4), dumpOf(start).mid(4));

        // With a voice in the library, a blend round starts.
        VoiceParameters mate = test::RandomVoice(9).make();
        VoiceData mateData(mate);
        mate = test::RandomVoice(9).make();
        QVERIFY(context().library->appendRecord(1, mateData).ok());
        window->findChild<QRadioButton*>("rbBlend")->setChecked(true);
        button(window, "bStart")->click();
        QVERIFY(!sameVoices(window->exploration()->variations(), first));
    }

    // A knob of the controller input learned from a control's context menu
    // moves the field that control edits now, over its whole range in its
    // shown form, as one undo step per gesture, sent each move; the Controllers
    // dialog chooses the input, lists the binding and forgets it.
    void controllerLearnMovesTheField()
    {
        services().setWireRate(0);
        context().settings->autoSend = true;
        InProcessMidiBackend* knobs = nullptr;
        services().controllers().setBackendFactory([&knobs] {
            auto backend = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"Synth out", "Knobs"},
                                                                  std::vector<std::string>{});
            knobs = backend.get();
            return backend;
        });
        modal.setAnswerer([](QDialog& dialog) {
            auto* input = dialog.findChild<QComboBox*>("cbControllerInput");
            input->setFocus();
            while (input->currentText() != "Knobs" && input->currentIndex() + 1 < input->count())
                QTest::keyClick(input, Qt::Key_Down);
            dialog.reject();
        });
        action("Controllers1")->trigger();
        QCOMPARE(context().settings->controllerInName, QStringLiteral("Knobs"));
        QCOMPARE(knobs->openInputIndex(), 1);

        // Learned on element C's pan bar: the binding is element C's pan.
        QWidget& awm = *context().AWMEdit;
        awm.show();
        QVERIFY(QTest::qWaitForWindowExposed(&awm));
        auto* element = awm.findChild<QComboBox*>("cbElement");
        element->setCurrentIndex(1);
        emit element->activated(1);
        auto* pan = awm.findChild<QAbstractSlider*>("sbPan");
        controlMenuAction(pan, "LearnController")->trigger();
        const VoiceParameters before = voice();
        const std::size_t steps = services().history()->steps();
        const int sentBefore = dumps();
        for (const std::uint8_t value : {0, 64, 127}) {  // one turn of the knob, moved three times
            knobs->deliver({0xB2, 74, value});
            QTRY_COMPARE(pan->value(), value == 0 ? 0 : value == 64 ? 2 : 4);
            QCOMPARE(int(voice().elementC.pan), 4 - pan->value());  // shown inverted: 4 is stored 0
        }
        QCOMPARE(int(voice().elementA.pan), int(before.elementA.pan));
        QCOMPARE(context().settings->controllerBindings, QStringList{"cc 2 74 elementC.pan"});
        QCOMPARE(services().history()->steps(), steps + 1);
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Pan"));
        settle();  // a move may take the place of one that still waits
        QVERIFY(dumps() > sentBefore && dumps() <= sentBefore + 3);
        QCOMPARE(lastDump().mid(4), dumpOf(voice()).mid(4));
        action("Undo1")->trigger();
        QVERIFY(same(voice(), before));

        // With the window on element A the knob still moves element C's pan,
        // in the voice, as one step; the bar shows element A's.
        element->setCurrentIndex(0);
        emit element->activated(0);
        const int shownA = pan->value();
        QCOMPARE(int(before.elementC.pan), 0);
        knobs->deliver({0xB2, 74, 0});
        QTRY_COMPARE(int(voice().elementC.pan), 4);  // the bottom of the shown form
        QCOMPARE(pan->value(), shownA);
        QCOMPARE(int(voice().elementA.pan), int(before.elementA.pan));
        QCOMPARE(action("Undo1")->text(), QStringLiteral("&Undo Pan"));
        action("Undo1")->trigger();
        QVERIFY(same(voice(), before));
        element->setCurrentIndex(1);
        emit element->activated(1);

        // Other controllers and other channels move nothing; compare makes
        // the control read-only for the knob too.
        knobs->deliver({0xB2, 75, 0});
        knobs->deliver({0xB3, 74, 0});
        action("Compare1")->trigger();
        knobs->deliver({0xB2, 74, 0});
        QTest::qWait(50);
        action("Compare1")->trigger();
        QVERIFY(same(voice(), before));

        QAction* forget = controlMenuAction(pan, "ForgetController");
        QVERIFY(forget->isEnabled());
        QVERIFY2(forget->text().contains("CC 74, channel 3"), qPrintable(forget->text()));
        QApplication::activePopupWidget()->close();
        modal.setAnswerer([](QDialog& dialog) {
            auto* list = dialog.findChild<QListWidget*>("lwBindings");
            QCOMPARE(list->count(), 1);
            QVERIFY(list->item(0)->text().contains("elementC.pan"));
            list->setCurrentRow(0);
            dialog.findChild<QPushButton*>("bForget")->click();
            QCOMPARE(list->count(), 0);
            dialog.reject();
        });
        action("Controllers1")->trigger();
        QVERIFY(context().settings->controllerBindings.isEmpty());
        knobs->deliver({0xB2, 74, 0});
        QTest::qWait(50);
        QVERIFY(same(voice(), before));

        // A knob learned on the morph pad's square moves its point across.
        action("MorphPad1")->trigger();
        auto* pad = context().MainForm->findChild<TMorphPad*>("MorphPad");
        QVERIFY(QTest::qWaitForWindowExposed(pad));
        for (const char* corner : {"bCurrentA", "bCurrentB", "bCurrentC", "bCurrentD"})
            button(pad, corner)->click();
        controlMenuAction(pad->square(), "LearnControllerAcross")->trigger();
        knobs->deliver({0xB2, 16, 127});
        QTRY_COMPARE(pad->square()->point(), QPointF(1, 0));
        knobs->deliver({0xB2, 16, 0});
        QTRY_COMPARE(pad->square()->point(), QPointF(0, 0));
        QCOMPARE(context().settings->controllerBindings, QStringList{"cc 2 16 morphPad.x"});
        pad->close();
    }

private:
    // Opens the context menu of an editor control as a right click does and
    // gives its action of that name.
    static QAction* controlMenuAction(QWidget* control, const char* name)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), control->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(control, &event);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup == nullptr)
            qFatal("no context menu");
        return popup->findChild<QAction*>(name);
    }
    // Runs `click`, answering a file dialog with `file` and a message box
    // with OK; gives the message's text.
    QString answerWith(const QString& file, const std::function<void()>& click)
    {
        QString said;
        modal.setAnswerer([&](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                name->setText(file);
                QTest::keyClick(name, Qt::Key_Return);
            } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                said = box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        click();
        modal.setAnswerer({});
        return said;
    }
    QString writeVoice(const char* name, const VoiceParameters& voice)
    {
        VoiceParameters copy;
        VoiceData data(copy);
        copy = voice;
        const QString path = dir.filePath(QString::fromLatin1(name));
        if (!writeVoiceFile(path.toStdString(), data))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // Lets the cable carry everything that waits.
    void settle()
    {
        clock.advance(std::chrono::seconds(1));
        context().midiPort->finishSending();
    }
    std::vector<QByteArray> sentDumps() const
    {
        std::vector<QByteArray> found;
        for (const std::vector<std::uint8_t>& m : midi->sent())
            if (m.size() == kSyDumpSize)
                found.emplace_back(reinterpret_cast<const char*>(m.data()), int(m.size()));
        return found;
    }
    int dumps() const { return int(sentDumps().size()); }
    static bool sameVoices(const std::vector<VoiceParameters>& a, const std::vector<VoiceParameters>& b)
    {
        return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof a[0]) == 0;
    }
    QByteArray lastDump() const
    {
        const std::vector<QByteArray> found = sentDumps();
        return found.empty() ? QByteArray() : found.back();
    }
    static QByteArray dumpOf(const VoiceParameters& voice)
    {
        const VoiceDump dump = encodeDump(voice);
        return QByteArray(reinterpret_cast<const char*>(dump.data()), int(dump.size()));
    }
    static QPushButton* button(QWidget* window, const char* name) { return window->findChild<QPushButton*>(name); }
    const AppContext& context() const { return shell->context(); }
    AppServices& services() { return *context().services; }
    VoiceParameters& voice() { return *context().voice; }
    QAction* action(const char* name) { return context().MainForm->findChild<QAction*>(name); }
    template <typename T>
    static bool same(const T& a, const T& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

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
    morvane::PlayEditorTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "PlayEditorTest.moc"

