// The main window driven as a user drives it, with the whole program made by
// the start-up sequence around it: an in-process MIDI system stands in for
// the instrument, and the test answers every dialog.
#include "AppServices.h"
#include "AppShell.h"
#include "HelpWindow.h"
#include "InProcessMidiBackend.h"
#include "LibraryBrowser.h"
#include "MessageDialogs.h"
#include "MidiPort.h"
#include "Multi.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "Settings.h"
#include "TAWMEdit.h"
#include "TFMEdit.h"
#include "TFindInstrument.h"
#include "TMainForm.h"
#include "TSetDevices.h"
#include "TVectorEdit.h"
#include "TVoiceCommonEdit.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QListView>
#include <QRadioButton>
#include <QMessageBox>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>

#include <QMessageBox>

#include <cstring>
#include <fstream>
#include <thread>

#include <sys/stat.h>

namespace morvane {

struct PaintCounter : QObject {
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

class MainFormTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        shell = test::startProgram(modal, dir, storePath(), "5", midi);
        context().midiPort->setReplyWait(std::chrono::milliseconds(50));
        shown.clear();
        modal.setAnswerer([this](QDialog& dialog) {
            shown << dialog.windowTitle();
            if (auto* message = qobject_cast<MessageDialog*>(&dialog))
                message->buttons().front()->click();
            else if (answer)
                answer(dialog);
        });
        answer = nullptr;
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
    }
    void cleanup()
    {
        test::stopProgram(shell, dir, storePath());
    }

    void savedVoiceLoadsBackIdentical()
    {
        std::memcpy(context().voice->common.name, "SavedOne", 8);
        context().voice->common.attack = -20;
        context().voice->levelVector.abPosition[3] = 40;  // vectors that move keep their first step
        context().voice->detuneVector.cdPosition[1] = 20;
        const QByteArray before = dump();
        answerFileDialog(dir.filePath("saved"));  // no extension typed
        form().Save1Click();
        const QString path = dir.filePath("saved.SYX");
        QVERIFY(QFile::exists(path));
        QCOMPARE(QFileInfo(path).size(), 592);

        resetVoice();
        answerFileDialog(path);
        form().Open1Click();
        QCOMPARE(dump(), before);
        QCOMPARE(context().VoiceCommonEdit->findChild<QLineEdit*>("tfVoiceName")->text(), QStringLiteral("SavedOne"));
        QCOMPARE(context().VectorEdit->findChild<QSlider*>("TrackBar4")->value(), 62 - 40);
    }

    void loadingSendsEvenWithAutoSendOffAndBadFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("valid");
        QByteArray good = validFile();
        QByteArray otherMaker(601, '\x10');
        otherMaker[0] = '\xF0';
        otherMaker[1] = '\x41';
        otherMaker[600] = '\xF7';
        QByteArray unknownId = good;
        unknownId.replace(6, 10, "XY  9999ZZ");
        QTest::newRow("a voice dump") << good << true;
        QTest::newRow("bytes before the F0") << (QByteArray("junk\x01\x02") + good) << true;
        QTest::newRow("no F0") << QByteArray("no dump here\xF7") << false;
        QTest::newRow("not ending in F7") << good.left(591) << false;
        QTest::newRow("F0 to F7 but too short") << QByteArray("\xF0\x43\x00\x7E\xF7", 5) << false;
        QTest::newRow("another maker's message") << otherMaker << false;
        QTest::newRow("an unknown identifier") << unknownId << false;
    }
    void loadingSendsEvenWithAutoSendOffAndBadFilesChangeNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, valid);
        const QString path = dir.filePath("in.syx");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        context().settings->autoSend = false;
        const std::size_t sent = midi->sent().size();
        givePreviousVoice();
        const QByteArray before = rawVoice();

        answerFileDialog(path);
        form().Open1Click();
        context().midiPort->finishSending();
        const QString shownName = context().VoiceCommonEdit->findChild<QLineEdit*>("tfVoiceName")->text();
        if (valid) {
            QCOMPARE(midi->sent().size(), sent + 1);
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(&midi->sent().back()[19]), 8), QByteArray("FileVox "));
            QCOMPARE(shownName, QStringLiteral("FileVox "));
            QVERIFY(!shown.contains("Invalid file"));
        } else {
            QVERIFY(shown.contains("Invalid file"));
            QCOMPARE(midi->sent().size(), sent);
            QCOMPARE(rawVoice(), before);
            QCOMPARE(shownName, QStringLiteral("Previous"));
        }
    }

    // Names that are not regular files are refused like any bad file; the
    // program goes on.
    void loadingAFolderOrAPipeIsAnInvalidFile()
    {
        QVERIFY(QDir(dir.path()).mkdir("folder.syx"));
        const QString fifo = dir.filePath("pipe.syx");
        QCOMPARE(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        givePreviousVoice();
        const QByteArray before = rawVoice();
        for (const QString& path : {dir.filePath("folder.syx"), fifo}) {
            shown.clear();
            context().services->loadVoiceFile(path);
            QCOMPARE(shown, QStringList{"Invalid file"});
            QCOMPARE(rawVoice(), before);
        }
    }

    void saveErrorIsReportedAndNothingIsLeft()
    {
        context().services->saveVoiceFile(dir.filePath("no-folder/x.SYX"));
        QCOMPARE(shown, QStringList{"Save error"});
        QVERIFY(!QFileInfo::exists(dir.filePath("no-folder")));
    }

    void getVoiceSendsTheRequestOfTheModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<QByteArray>("id");
        QTest::newRow("SY-22") << 0 << QByteArray("PK  2203AE");
        QTest::newRow("SY-35") << 1 << QByteArray("PK  2203AE");
        QTest::newRow("TG-33") << 2 << QByteArray("LM  0012VE");
    }
    void getVoiceSendsTheRequestOfTheModel()
    {
        QFETCH(int, model);
        QFETCH(QByteArray, id);
        context().settings->model = model;
        triggerMenu("Getsoundfromsynth1");
        const std::vector<std::uint8_t> request = midi->sent().back();
        QCOMPARE(request.size(), std::size_t{15});
        QCOMPARE(int(request[2]), 0x25);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&request[4]), 10), id);
        QCOMPARE(shown, QStringList{"No data"});
    }

    void theModelChosenInTheDeviceDialogIsTheOneGetVoiceAsksFor()
    {
        context().settings->model = 0;
        answer = [](QDialog& dialog) {
            auto* model = dialog.findChild<QComboBox*>("cbModel");
            model->setFocus();
            QTest::keyClick(model, Qt::Key_End);   // TG-33
            QTest::mouseClick(dialog.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        };
        triggerMenu("SelectMIDIdevices1");
        QCOMPARE(shown, QStringList{"Select MIDI Devices"});
        QCOMPARE(context().settings->model, 2);
        // The AWM editor's "Select model" is the same setting.
        QCOMPARE(context().AWMEdit->findChild<QComboBox*>("cbModel")->currentText(), QString("TG-33"));

        shown.clear();
        answer = nullptr;
        triggerMenu("Getsoundfromsynth1");
        const std::vector<std::uint8_t> request = midi->sent().back();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(&request[4]), 10), QByteArray("LM  0012VE"));
    }

    void getVoiceTakesTheInstrumentsVoiceAndRefreshesTheEditors()
    {
        midi->setOnSend([this](const std::vector<std::uint8_t>& message) {
            if (message.size() == kRequestSize) {
                const QByteArray reply = validFile();
                midi->deliver({reply.begin(), reply.end()});
            }
        });
        triggerMenu("Getsoundfromsynth1");
        QCOMPARE(shown, QStringList{"MIDI Received"});
        QCOMPARE(QByteArray(context().voice->common.name, 8), QByteArray("FileVox "));
        QCOMPARE(context().VoiceCommonEdit->findChild<QLineEdit*>("tfVoiceName")->text(), QStringLiteral("FileVox "));
    }

    // A request that cannot be sent says why at once, without the wait and
    // without "No data".
    void getVoiceThatCannotBeSentIsReportedAtOnce()
    {
        context().midiPort->setReplyWait(std::chrono::hours(1));
        context().midiPort->close();
        QString text;
        answer = [&text](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            text = box->text();
            box->button(QMessageBox::Ok)->click();
        };
        triggerMenu("Getsoundfromsynth1");
        QCOMPARE(shown, QStringList{"Get voice"});
        QVERIFY2(text.contains("No MIDI output is open."), qPrintable(text));
    }

    // During the wait the windows repaint and timers run; the reply, handed
    // over on another thread, ends the wait at once (an hour's wait would
    // otherwise end the test by its time limit).
    void getVoiceKeepsTheWindowsPainting()
    {
        context().midiPort->setReplyWait(std::chrono::hours(1));
        std::thread instrument;
        midi->setOnSend([this, &instrument](const std::vector<std::uint8_t>& message) {
            if (message.size() != kRequestSize)
                return;
            instrument = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
                const QByteArray reply = validFile();
                midi->deliver({reply.begin(), reply.end()});
            });
        });
        PaintCounter painted;
        form().installEventFilter(&painted);
        bool waiting = true;
        int paintsDuringTheWait = -1;
        QTimer::singleShot(50, this, [&] {
            form().update();
            QTimer::singleShot(100, this, [&] {
                if (waiting)
                    paintsDuringTheWait = painted.count;
            });
        });
        painted.count = 0;
        triggerMenu("Getsoundfromsynth1");
        waiting = false;
        instrument.join();
        form().removeEventFilter(&painted);
        QVERIFY2(paintsDuringTheWait > 0, "nothing was painted during the wait");
        QCOMPARE(shown, QStringList{"MIDI Received"});
        QCOMPARE(QByteArray(context().voice->common.name, 8), QByteArray("FileVox "));
    }

    void autoSendButtons()
    {
        auto* on = form().findChild<QToolButton*>("bAutoSend");
        auto* off = form().findChild<QToolButton*>("bNoAutoSend");
        QVERIFY(on->isChecked() && !off->isChecked());  // the stored "Auto send" is missing: on
        QTest::mouseClick(on, Qt::LeftButton);
        QVERIFY(on->isChecked() && context().settings->autoSend);
        QTest::mouseClick(off, Qt::LeftButton);
        QVERIFY(!on->isChecked() && off->isChecked() && !context().settings->autoSend);
        QTest::mouseClick(off, Qt::LeftButton);
        QVERIFY(off->isChecked() && !context().settings->autoSend);
    }

    void menus()
    {
        struct Item {
            const char* name;
            const char* caption;
            QKeySequence shortcut;
        };
        const Item items[] = {
            {"Open1", "&Load voice", QKeySequence("Ctrl+O")},
            {"Save1", "&Save voice", QKeySequence("Ctrl+S")},
            {"ModifyVoice", "&Modify voice in database", QKeySequence("Ctrl+M")},
            {"Addvoicetodatabase1", "&Add voice to database", QKeySequence("Ctrl+D")},
            {"ImportVoices", "&Import voices...", QKeySequence("Ctrl+I")},
            {"Exit1", "E&xit", QKeySequence("Ctrl+Q")},
            {"ElementA1", "Elements &A && C", QKeySequence("Ctrl+A")},
            {"ElementB1", "Elements &B && D", QKeySequence("Ctrl+B")},
            {"Voicecommon1", "Voice &common", QKeySequence("Ctrl+C")},
            {"Vector1", "&Vectors", QKeySequence("Ctrl+V")},
            {"SelectMIDIdevices1", "&Select MIDI devices", QKeySequence()},
            {"Getsoundfromsynth1", "&Get voice from synth", QKeySequence()},
            {"Pacesends1", "&Pace sends to the MIDI cable", QKeySequence()},
            {"Contents1", "&Contents", QKeySequence()},
            {"About2", "&About", QKeySequence()},
        };
        for (const Item& item : items) {
            QAction* action = form().findChild<QAction*>(item.name);
            QVERIFY2(action, item.name);
            QCOMPARE(action->text(), QString::fromLatin1(item.caption));
            QCOMPARE(action->shortcut(), item.shortcut);
        }
        QVERIFY(!form().findChild<QAction*>("ModifyVoice")->isEnabled());  // the library is empty

        QTest::keyClick(&form(), Qt::Key_C, Qt::ControlModifier);
        QVERIFY(context().VoiceCommonEdit->isVisible());
        QTest::keyClick(&form(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(context().VectorEdit->isVisible());
        QTest::keyClick(&form(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(context().FMEdit->isVisible());
        triggerMenu("About2");
        triggerMenu("SelectMIDIdevices1");
        QCOMPARE(shown, (QStringList{"About Morvane", "Select MIDI Devices"}));
    }

    // The windows start with the focus where Ctrl+A/C/V/X are free: the
    // library list rather than the search box, and in an editor the first
    // control that takes no typing. Exit answers Ctrl+Q as well as Ctrl+X.
    void windowsStartWithTheFocusWhereTheCtrlKeysAreFree()
    {
        form().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form()));
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QCOMPARE(focus->objectName(), QStringLiteral("dbListBox"));
        QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        QVERIFY(context().AWMEdit->isVisible());
        triggerMenu("Voicecommon1");
        QVERIFY(QTest::qWaitForWindowActive(context().VoiceCommonEdit));
        QWidget* editorFocus = QApplication::focusWidget();
        QVERIFY(editorFocus && context().VoiceCommonEdit->isAncestorOf(editorFocus));
        QVERIFY2(!qobject_cast<QLineEdit*>(editorFocus), qPrintable(editorFocus->objectName()));
        QCOMPARE(form().findChild<QAction*>("Exit1")->shortcuts(),
                 (QList<QKeySequence>{QKeySequence("Ctrl+Q"), QKeySequence("Ctrl+X")}));
    }

    // The title names the voice shown and marks it once edited; undoing the
    // edit, saving or loading clears the mark. The library list highlights
    // a loaded voice that the library holds, and nothing for one it does not.
    void theTitleAndTheLibraryListFollowTheLoadedVoice()
    {
        const QString inLibrary = dir.filePath("in-library.syx");
        writeFile(inLibrary, validFile());
        QByteArray other = validFile();
        other.replace(19, 8, "Elsewher");
        writeFile(dir.filePath("other.syx"), other);
        form().openFile(inLibrary);
        QVERIFY(context().library->appendRecord(0x0001, *context().voiceData).ok());
        form().openFile(dir.filePath("other.syx"));
        QCOMPARE(form().windowTitle(), QStringLiteral("Elsewher[*] - Morvane"));
        QVERIFY(!form().isWindowModified());
        auto* list = form().findChild<QListView*>("dbListBox");
        QVERIFY(list->selectionModel()->selectedIndexes().isEmpty());

        form().openFile(inLibrary);
        QCOMPARE(form().windowTitle(), QStringLiteral("FileVox[*] - Morvane"));
        QCOMPARE(list->selectionModel()->selectedIndexes().size(), 1);
        QCOMPARE(list->currentIndex().row(), 0);

        context().voice->common.attack = 7;
        context().services->voiceEdited("Attack", {});
        QVERIFY(form().isWindowModified());
        context().services->undo();
        QVERIFY(!form().isWindowModified());
        context().services->redo();
        QVERIFY(form().isWindowModified());
        answerFileDialog(dir.filePath("kept.syx"));
        form().Save1Click();
        QVERIFY(!form().isWindowModified());
    }

    // The "Any" switch lists voices with any ticked category, "All" those
    // with every one; the choice is kept in the settings. The list can be
    // ordered by name as well as by number, and grows with the window.
    void theCategoryFilterMatchesAnyOrAllAndTheListSorts()
    {
        VoiceParameters voice{};
        VoiceData data(voice);
        const std::pair<const char*, std::uint32_t> records[] = {
            {"zPad    ", 0x0020}, {"aSynth  ", 0x0080}, {"mBoth   ", 0x00A0}, {"Strings ", 0x0001}};
        for (const auto& [name, mask] : records) {
            std::memcpy(voice.common.name, name, 8);
            QVERIFY(context().library->appendRecord(mask, data).ok());
        }
        form().browser().fillList();
        auto names = [this] {
            QStringList shown;
            auto* list = form().findChild<QListView*>("dbListBox");
            for (int row = 0; row < list->model()->rowCount(); ++row)
                shown << list->model()->index(row, 0).data().toString().trimmed();
            return shown;
        };
        form().findChild<QCheckBox*>("cbPad")->click();
        form().findChild<QCheckBox*>("cbSynthetic")->click();
        QCOMPARE(names(), QStringList{"mBoth"});
        form().findChild<QRadioButton*>("rbAny")->click();
        QCOMPARE(names(), (QStringList{"zPad", "aSynth", "mBoth"}));
        QVERIFY(context().settings->filterAny);
        form().findChild<QComboBox*>("cbSort")->setCurrentIndex(1);
        QCOMPARE(names(), (QStringList{"aSynth", "mBoth", "zPad"}));
        // The window grows, and its size is kept for the next start.
        const QSize larger = form().size() + QSize(200, 150);
        form().resize(larger);
        QCOMPARE(context().settings->mainWindowSize, larger);
        QVERIFY(form().findChild<QListView*>("dbListBox")->height() > 300);
        auto* list = form().findChild<QListView*>("dbListBox");
        QCOMPARE(list->model()->index(0, 0).data(LibraryListModel::kRecordRole).toInt(), 1);
        form().findChild<QRadioButton*>("rbAll")->click();
        QVERIFY(!context().settings->filterAny);
    }

    void importingADamagedBankAsksTheCategoriesOnceAndWhetherToKeepTheWholeVoices()
    {
        QFile real(QDir(MORVANE_FIXTURES).filePath("tg33-bank-backup.syx"));
        QVERIFY2(real.open(QIODevice::ReadOnly), "missing test data");
        QFile cut(dir.filePath("cut.syx"));
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(real.readAll().left(30000));  // 12 whole blocks of 4 voices
        cut.close();
        answer = [this](QDialog& dialog) {
            if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                name->setText(dir.filePath("cut.syx"));
                QTest::keyClick(name, Qt::Key_Return);
            } else if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                box->button(box->button(QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok)->click();
            } else {
                dialog.findChild<QCheckBox*>("cbPad")->click();
                dialog.findChild<QPushButton*>("Okay")->click();
            }
        };
        triggerMenu("ImportVoices");
        QCOMPARE(shown, (QStringList{"Import voice files and banks", "Categories of the imported voices", "Damaged bank",
                                     "Import voices"}));
        QCOMPARE(context().library->recordCount(), 48);
        QCOMPARE(form().browser().rowCount(), 48);
        QCOMPARE(context().library->recordCategories(0), 0x0020u);
    }

    // The pace is a setting of its own: on at the cable's rate unless stored
    // otherwise, switched from the MIDI menu, kept for the next run.
    void pacingIsSwitchedFromTheMidiMenu()
    {
        QAction* pace = form().findChild<QAction*>("Pacesends1");
        QVERIFY(pace->isCheckable() && pace->isChecked());
        QCOMPARE(context().midiPort->wireRate(), 31250);
        triggerMenu("Pacesends1");
        QVERIFY(!pace->isChecked());
        QCOMPARE(context().settings->wireRate, 0);
        QCOMPARE(context().midiPort->wireRate(), 0);
        triggerMenu("Pacesends1");
        QCOMPARE(context().midiPort->wireRate(), 31250);
        triggerMenu("Pacesends1");
        shell->shutDown();
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).value("Wire rate").toString(), QStringLiteral("0"));
    }

    void helpOpensItsContentsAndTheEditorsPages()
    {
        triggerMenu("Contents1");
        HelpWindow& help = context().services->help();
        QVERIFY(help.isVisible());
        QCOMPARE(help.currentPage(), QUrl("qrc:/help/index.html"));
        QVERIFY(help.findChild<QTextBrowser*>()->toPlainText().contains("Connecting the instrument"));
        QTest::mouseClick(context().VoiceCommonEdit->findChild<QPushButton*>("HelpButton"), Qt::LeftButton);
        QCOMPARE(help.currentPage(), QUrl("qrc:/help/common.html"));
        QVERIFY(help.findChild<QTextBrowser*>()->toPlainText().contains("Global envelope adjust"));
        QTest::mouseClick(context().VectorEdit->findChild<QPushButton*>("HelpButton"), Qt::LeftButton);
        QCOMPARE(help.currentPage(), QUrl("qrc:/help/vectors.html"));
        QVERIFY(help.findChild<QTextBrowser*>()->toPlainText().contains("Vector path"));
        for (int context : {1, 4, 9})
            QVERIFY(HelpWindow::pageOf(context) != HelpWindow::pageOf(0));
        help.grab().save(QDir(MORVANE_GRAB_DIR).filePath("help.png"));
    }

    void exitHidesTheEditorsAndEndsTheProgram()
    {
        context().VoiceCommonEdit->show();
        QTimer::singleShot(0, this, [this] { triggerMenu("Exit1"); });
        QCOMPARE(app()->exec(), 0);
        QVERIFY(!context().VoiceCommonEdit->isVisible());
        QVERIFY(!form().isVisible());
        context().settings->midiChannel = 9;
        shell->shutDown();
        const QSettings stored(storePath(), QSettings::IniFormat);
        // The six settings, the devices' names, the main window's place ...
        // ... and the voice common editor's, which was shown.
        QCOMPARE(stored.allKeys().size(), 10);
        QCOMPARE(stored.value("MIDI Channel").toString(), QStringLiteral("9"));
    }

    void theLinkStateFollowsTheInstrumentsPorts()
    {
        QLabel* link = form().LinkState;
        QCOMPARE(link->toolTip(), QStringLiteral("MIDI input: Synth out (connected)\nMIDI output: Synth in (connected)"));
        // The instrument is switched off, then on again.
        midi->setDevices({}, {});
        QTRY_VERIFY(link->toolTip().contains("MIDI output: Synth in (not found"));
        QVERIFY(link->toolTip().contains("MIDI input: Synth out (not found"));
        midi->setDevices({"Other out", "Synth out"}, {"Synth in"});
        QTRY_COMPARE(link->toolTip(), QStringLiteral("MIDI input: Synth out (connected)\nMIDI output: Synth in (connected)"));
        QCOMPARE(midi->openInputIndex(), 1);
        QVERIFY(shown.isEmpty());  // no dialog for any of it
    }

    void aFailedSendShowsInTheWindowUntilASendSucceeds()
    {
        midi->failSends("The MIDI system is gone");
        for (int edit = 0; edit < 3; ++edit)
            context().services->sendVoice();  // as auto-send does for each edit
        // The voice goes out on the port's thread; the window shows the outcome
        // once it is known.
        QTRY_COMPARE(form().SendState->toolTip(), QStringLiteral("Voice not sent: The MIDI system is gone"));
        QVERIFY(form().SendState->text().startsWith("Voice not sent"));
        QVERIFY(shown.isEmpty());
        midi->failSends(std::nullopt);
        context().services->sendVoice();
        QTRY_COMPARE(form().SendState->text(), QString());
        QCOMPARE(form().SendState->toolTip(), QString());

        // A multi that fails is told as a multi, not as the voice.
        midi->failSends("The MIDI system is gone");
        QVERIFY(context().midiPort->sendMulti(Multi{}, 0));
        QTRY_COMPARE(form().SendState->toolTip(), QStringLiteral("Multi not sent: The MIDI system is gone"));
        midi->failSends(std::nullopt);
    }

    void theLastFolderAndTheRecentFilesAreRemembered()
    {
        QVERIFY(QDir(dir.path()).mkpath("voices"));
        const QString path = dir.filePath("voices/recent.syx");
        writeFile(path, validFile());
        answerFileDialog(path);
        triggerMenu("Open1");
        QCOMPARE(context().settings->lastFolder, dir.filePath("voices"));
        QCOMPARE(context().settings->recentFiles, QStringList{path});

        // The next dialog opens there, for saving too.
        for (const char* item : {"Open1", "Save1"}) {
            QString folder;
            answer = [&folder](QDialog& dialog) {
                folder = qobject_cast<QFileDialog*>(&dialog)->directory().absolutePath();
                dialog.reject();
            };
            triggerMenu(item);
            QCOMPARE(folder, dir.filePath("voices"));
        }

        // "Open recent" loads it again, as "Load voice" does.
        resetVoice();
        auto* recent = form().findChild<QMenu*>("OpenRecentMenu");
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions().front()->text(), QStringLiteral("&1 recent.syx"));
        const std::size_t sent = midi->sent().size();
        recent->actions().front()->trigger();
        QCOMPARE(QByteArray(context().voice->common.name, 8), QByteArray("FileVox "));
        QTRY_COMPARE(midi->sent().size(), sent + 1);   // sent on the port's thread
    }

    void aFileDroppedOnTheWindowIsLoadedAndSent()
    {
        const QString good = dir.filePath("dropped.syx");
        const QString bad = dir.filePath("dropped-bad.syx");
        writeFile(good, validFile());
        writeFile(bad, QByteArray("\xF0\x43\xF7"));
        for (const QString& file : {bad, good}) {
            resetVoice();
            shown.clear();
            const std::size_t sent = midi->sent().size();
            QMimeData mime;
            mime.setUrls({QUrl::fromLocalFile(file)});
            const QPoint at(form().width() / 2, 40);   // on the menu bar's side, off the library list
            QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&form(), &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&form(), &drop);
            QTRY_VERIFY(!shown.isEmpty() || midi->sent().size() > sent);
            if (file == bad) {
                QCOMPARE(shown, QStringList{"Invalid file"});
                QCOMPARE(midi->sent().size(), sent);
            } else {
                QVERIFY(shown.isEmpty());
                QCOMPARE(QByteArray(context().voice->common.name, 8), QByteArray("FileVox "));
                QCOMPARE(midi->sent().size(), sent + 1);
            }
        }
    }

    void loadAndSaveWorkFromTheEditorWindows()
    {
        QWidget* editor = context().services->editor("ElementA1");
        editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        for (const auto& [key, title] : {std::pair{Qt::Key_O, "Open sound file"}, std::pair{Qt::Key_S, "Save voice"}}) {
            editor->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(editor));
            shown.clear();
            answer = [](QDialog& dialog) { dialog.reject(); };
            QTest::keyClick(editor, key, Qt::ControlModifier);
            QCOMPARE(shown, QStringList{title});
        }
    }

    void looksRight()
    {
        QCOMPARE(form().windowTitle(), QStringLiteral("12345678[*] - Morvane"));
        QDir().mkpath(MORVANE_GRAB_DIR);
        form().grab().save(QDir(MORVANE_GRAB_DIR).filePath("main-window.png"));
        context().SetDevices->grab().save(QDir(MORVANE_GRAB_DIR).filePath("select-midi-devices.png"));
        TFindInstrument& find = context().SetDevices->findWindow();
        find.prepare(nullptr, {"Synth out"}, {"Synth in"}, "SY-22");
        find.adjustSize();
        find.grab().save(QDir(MORVANE_GRAB_DIR).filePath("find-instrument.png"));
        QMenu* file = form().findChild<QMenuBar*>()->actions().front()->menu();
        file->popup(form().mapToGlobal(QPoint(0, 20)));
        QVERIFY(QTest::qWaitForWindowExposed(file));
        file->grab().save(QDir(MORVANE_GRAB_DIR).filePath("file-menu.png"));
        file->hide();
    }

private:
    static MorvaneApplication* app() { return static_cast<MorvaneApplication*>(qApp); }
    const AppContext& context() const { return shell->context(); }
    TMainForm& form() { return *context().MainForm; }
    QString storePath() const { return dir.filePath("store.ini"); }

    void triggerMenu(const char* name) { form().findChild<QAction*>(name)->trigger(); }

    // The next file dialog gets this name typed and is accepted.
    void answerFileDialog(const QString& path)
    {
        answer = [path](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            QVERIFY(files);
            auto* name = files->findChild<QLineEdit*>("fileNameEdit");
            QVERIFY(name);
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        };
    }
    // A voice unlike the file's in every part, so that a partly read file shows.
    void givePreviousVoice()
    {
        std::memset(context().voice, 0x11, sizeof(VoiceParameters));
        std::memcpy(context().voice->common.name, "Previous", 8);
        context().voice->common.nameTerminator = 0;
        context().services->refreshEditors();
    }
    QByteArray rawVoice() const
    {
        return QByteArray(reinterpret_cast<const char*>(context().voice), int(sizeof(VoiceParameters)));
    }
    void resetVoice()
    {
        std::memset(context().voice, 0, sizeof(VoiceParameters));
    }
    QByteArray dump() const
    {
        const VoiceDump bytes = context().voiceData->encodeDump();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    }
    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QByteArray validFile()
    {
        VoiceParameters voice;
        VoiceData data(voice);
        std::memcpy(voice.common.name, "FileVox ", 8);
        const VoiceDump bytes = data.encodeDump();
        return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
    }

    QTemporaryDir dir;
    ModalHost modal;
    std::unique_ptr<AppShell> shell;
    InProcessMidiBackend* midi = nullptr;
    QStringList shown;
    std::function<void(QDialog&)> answer;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::MainFormTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "MainFormTest.moc"
