#include "LibraryBrowser.h"
#include "RandomVoice.h"
#include "TSelectVoiceType.h"
#include "VoiceData.h"
#include "VoiceFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTableWidget>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QUrl>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <cstring>
#include <fstream>
#include <random>
#include <functional>

#include <sys/stat.h>

using namespace morvane;

namespace {

// Stands in for the program around the browser and for the person who
// answers its dialogs.
class BrowserHost : public LibraryBrowserHost {
public:
    std::function<void(QDialog&)> answer;
    int sends = 0;
    int refreshes = 0;
    int loaded = 0;
    QStringList errors;
    TSelectVoiceType voiceType;
    QDialog overwrite;
    int overwriteAnswer = QDialog::Rejected;

    int showModal(QDialog& dialog) override
    {
        if (&dialog == &overwrite)
            return overwriteAnswer;
        if (answer)
            answer(dialog);
        return dialog.result();
    }
    TSelectVoiceType& selectVoiceType() override { return voiceType; }
    QDialog& overwriteDialog() override { return overwrite; }
    void sendVoice() override { ++sends; }
    void refreshEditors() override { ++refreshes; }
    void voiceLoaded() override { ++loaded; }
    void reportLibraryError(const QString& text) override { errors << text; }
};

QByteArray fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}});
}

} // namespace

class LibraryBrowserTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::string path;
    VoiceParameters voice{};
    std::unique_ptr<VoiceData> data;
    std::unique_ptr<VoiceLibrary> library;
    std::unique_ptr<BrowserHost> host;
    std::unique_ptr<LibraryBrowser> browser;

    // Appends a voice with that name and those categories to the file.
    void store(const char* name, std::uint32_t categories)
    {
        std::memcpy(voice.common.name, name, 8);
        QVERIFY(library->appendRecord(categories, *data).ok());
    }
    QStringList listed()
    {
        QStringList names;
        QAbstractItemModel* model = list()->model();
        for (int r = 0; r < model->rowCount(); ++r)
            names << model->index(r, 0).data().toString().trimmed();
        return names;
    }
    QListView* list() { return browser->findChild<QListView*>("dbListBox"); }
    void click(QWidget* parent, const char* name)
    {
        auto* box = parent->findChild<QAbstractButton*>(name);
        QVERIFY2(box, name);
        box->click();
    }
    // Ticks those boxes of the voice-type dialog, clears the others, presses Okay.
    void answerTypes(QStringList names)
    {
        host->answer = [names](QDialog& dialog) {
            for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                if (box->isChecked() != names.contains(box->objectName()))
                    box->click();
            dialog.findChild<QPushButton*>("Okay")->click();
        };
    }
    // Answers every dialog the browser shows: questions by `yes`, the
    // voice-type dialog by ticking `types` (or "Cancel" when empty), the
    // rename box with `newName`, a folder dialog with `folder`. Records the
    // titles shown.
    QStringList titles;
    void answerAll(bool yes, QStringList types, QString newName = {}, QString folder = {})
    {
        host->answer = [=, this](QDialog& dialog) {
            titles << dialog.windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                const bool question = box->button(QMessageBox::No) != nullptr;
                box->button(!question ? QMessageBox::Ok : yes ? QMessageBox::Yes : QMessageBox::No)->click();
            } else if (auto* input = qobject_cast<QInputDialog*>(&dialog)) {
                QLineEdit* edit = input->findChild<QLineEdit*>();
                edit->selectAll();
                QTest::keyClicks(edit, newName);
                input->accept();
            } else if (auto* files = qobject_cast<QFileDialog*>(&dialog)) {
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                name->setText(folder);
                QTest::keyClick(name, Qt::Key_Return);
            } else if (types.isEmpty()) {
                dialog.findChild<QPushButton*>("Cancel")->click();
            } else {
                for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
                    if (box->isChecked() != types.contains(box->objectName()))
                        box->click();
                dialog.findChild<QPushButton*>("Okay")->click();
            }
        };
    }
    void select(std::initializer_list<int> rows)
    {
        list()->selectionModel()->clear();
        for (int row : rows)
            list()->selectionModel()->select(list()->model()->index(row, 0), QItemSelectionModel::Select);
        list()->selectionModel()->setCurrentIndex(list()->model()->index(*rows.begin(), 0), QItemSelectionModel::NoUpdate);
    }
    void trigger(const char* action)
    {
        auto* found = list()->findChild<QAction*>(action);
        QVERIFY2(found, action);
        found->trigger();
    }
    // A voice file of that name, written in the test's folder.
    QString voiceFile(const char* file, const char* name)
    {
        VoiceParameters other{};
        VoiceData otherData(other);
        std::memcpy(other.common.name, name, 8);
        const QString filePath = QDir(dir.path()).filePath(file);
        writeVoiceFile(filePath.toStdString(), otherData);
        return filePath;
    }
    // Drags the files over the list and drops them, as a file manager does.
    void dropOnList(const QStringList& files)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& file : files)
            urls << QUrl::fromLocalFile(file);
        mime.setUrls(urls);
        QWidget* target = list()->viewport();
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        QVERIFY(drop.isAccepted());
        QCoreApplication::processEvents();
    }
    // Whether the voice file is one whole dump of the voice of record n, as
    // the library loads it.
    bool holdsRecord(const QString& file, int n)
    {
        VoiceParameters exported{}, stored{};
        VoiceData exportedData(exported), storedData(stored);
        return fileBytes(file.toStdString()).size() == 592
               && readVoiceFile(file.toStdString(), exportedData) == VoiceFileResult::Loaded
               && library->loadRecord(n, storedData).ok() && std::memcmp(&exported, &stored, sizeof stored) == 0;
    }
    void openBrowser()
    {
        browser = std::make_unique<LibraryBrowser>(*library, *data, *host);
        browser->setUp();
        browser->show();
        QVERIFY(QTest::qWaitForWindowExposed(browser.get()));
    }

private slots:
    void init()
    {
        path = QDir(dir.path()).filePath("SOUNDS.SYL").toStdString();
        QFile::remove(QString::fromStdString(path));
        data = std::make_unique<VoiceData>(voice);
        library = std::make_unique<VoiceLibrary>(path);
        host = std::make_unique<BrowserHost>();
    }

    // Files dropped on the list go through "Import voices": the categories
    // are asked once for the whole drop ("same for all" here), and one file
    // that is no voice keeps every file out and is named.
    void droppedFilesAreImportedWithTheCategoriesAskedForOnce()
    {
        store("Old one ", 0x0001);
        openBrowser();
        answerAll(true, {"cbPad", "cbBass"});
        dropOnList({voiceFile("one.syx", "Dropped1"), voiceFile("two.SYX", "Dropped2")});
        QCOMPARE(titles.count("Categories of the imported voices"), 1);
        QCOMPARE(listed(), (QStringList{"Old one", "Dropped1", "Dropped2"}));
        QCOMPARE(library->recordCategories(1), 0x0120u);
        QCOMPARE(library->recordCategories(2), 0x0120u);
        QVERIFY(host->errors.isEmpty());
    }

    // The import table gives each voice its own categories; "same for all"
    // ticks a category for every row, and a voice left with none is not
    // added.
    void importGivesEachVoiceItsOwnCategories()
    {
        openBrowser();
        const QStringList files{voiceFile("one.syx", "First   "), voiceFile("two.syx", "Second  "),
                                voiceFile("three.syx", "Third   ")};
        QStringList rows;
        host->answer = [&](QDialog& dialog) {
            titles << dialog.windowTitle();
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                box->button(QMessageBox::Ok)->click();
                return;
            }
            auto* table = dialog.findChild<QTableWidget*>("tbVoices");
            QVERIFY(table);
            for (int row = 0; row < table->rowCount(); ++row)
                rows << table->item(row, 0)->text().trimmed() + " / " + table->item(row, 1)->text();
            dialog.findChild<QCheckBox*>("cbPad")->click();  // every voice: Pad
            // The table's columns follow the boxes' order: Strings is the
            // first category column, Pad the fourteenth.
            table->item(1, 2)->setCheckState(Qt::Checked);
            table->item(2, 2 + 13)->setCheckState(Qt::Unchecked);
            dialog.findChild<QPushButton*>("Okay")->click();
        };
        titles.clear();
        browser->importFiles(files);
        QCOMPARE(rows, (QStringList{"First / one.syx", "Second / two.syx", "Third / three.syx"}));
        QCOMPARE(listed(), (QStringList{"First", "Second"}));
        QCOMPARE(library->recordCategories(0), 0x0020u);
        QCOMPARE(library->recordCategories(1), 0x0021u);
        QVERIFY(host->errors.isEmpty());
        QCOMPARE(titles, (QStringList{"Categories of the imported voices", "Import voices"}));
    }

    // The import runs beside the window: while it waits (here for another
    // writer's lock) the window goes on, a progress dialog shows, and its
    // Cancel stops the import before anything is written.
    void aLongImportShowsProgressAndCancelAddsNothing()
    {
        store("Old one ", 0x0001);
        openBrowser();
        const QByteArray before = fileBytes(path);
        QStringList told;
        host->answer = [&](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
                told << box->text();
                box->button(QMessageBox::Ok)->click();
                return;
            }
            dialog.findChild<QCheckBox*>("cbPad")->click();
            dialog.findChild<QPushButton*>("Okay")->click();
        };
        VoiceLibrary other(path);
        auto held = std::make_unique<LibraryLock>(other);
        QVERIFY(bool(*held));
        bool cancelled = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* progress = browser->findChild<QProgressDialog*>("ImportProgress");
            if (progress == nullptr || !progress->isVisible())
                return;
            watch.stop();
            progress->findChild<QPushButton*>()->click();
            cancelled = true;
            held.reset();  // the import may go on now, and must find itself cancelled
        });
        watch.start(20);
        browser->importFiles({voiceFile("new.syx", "NewOne  ")});
        QVERIFY(cancelled);
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(listed(), QStringList{"Old one"});
        QVERIFY(host->errors.isEmpty());
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].contains("cancelled") && told[0].contains("Nothing was added"), qPrintable(told[0]));
    }

    // A change of the library from the list runs beside the window: while
    // it waits (here for another writer's lock, as it waits for a rewrite of
    // a large library) the window's event loop goes on, and the change is
    // made once the lock is free.
    void theWindowGoesOnWhileAChangeWaits_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<std::uint32_t>("secondMask");
        QTest::newRow("delete") << "DeleteVoices" << QStringList{"One", "Three"} << 0x0004u;
        QTest::newRow("rename") << "RenameVoice" << QStringList{"One", "Second", "Three"} << 0x0002u;
        QTest::newRow("categories") << "ChangeCategories" << QStringList{"One", "Two", "Three"} << 0x0120u;
        QTest::newRow("modify") << "Modify" << QStringList{"One", "Replaced", "Three"} << 0x0120u;
        QTest::newRow("add") << "Add" << QStringList{"One", "Two", "Three", "Added"} << 0x0002u;
    }
    void theWindowGoesOnWhileAChangeWaits()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, after);
        QFETCH(std::uint32_t, secondMask);
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        store("Three   ", 0x0004);
        openBrowser();
        select({1});
        answerAll(true, {"cbPad", "cbBass"}, "Second");
        host->overwriteAnswer = QDialog::Accepted;
        VoiceLibrary other(path);
        auto held = std::make_unique<LibraryLock>(other);
        QVERIFY(bool(*held));
        int ticks = 0;
        QTimer beat;
        connect(&beat, &QTimer::timeout, this, [&] {
            if (++ticks == 5)
                held.reset();
        });
        beat.start(5);
        if (action == "Modify") {
            std::memcpy(voice.common.name, "Replaced", 8);
            browser->ModifyVoiceClick();
        } else if (action == "Add") {
            std::memcpy(voice.common.name, "Added   ", 8);
            browser->Addvoicetodatabase1Click();
        } else {
            trigger(action.toLatin1().constData());
        }
        QVERIFY(ticks >= 5);
        QCOMPARE(host->errors, QStringList());
        QCOMPARE(listed(), after);
        std::vector<RecordSummary> records;
        QVERIFY(library->scanRecords(records));
        QCOMPARE(int(records.size()), after.size());
        QCOMPARE(records[1].categories, secondMask);
        QVERIFY(!QFile::exists(QString::fromStdString(path + ".journal")));
    }

    // A removal that takes long shows its progress; Cancel leaves the
    // library as it was and says so.
    void cancellingADeletionKeepsEveryVoice()
    {
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        openBrowser();
        const QByteArray before = fileBytes(path);
        select({0});
        QStringList told;
        host->answer = [&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            QVERIFY(box);
            if (box->button(QMessageBox::Yes) != nullptr) {
                box->button(QMessageBox::Yes)->click();
                return;
            }
            told << box->windowTitle() + ": " + box->text();
            box->button(QMessageBox::Ok)->click();
        };
        VoiceLibrary other(path);
        auto held = std::make_unique<LibraryLock>(other);
        QVERIFY(bool(*held));
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* progress = browser->findChild<QProgressDialog*>("LibraryProgress");
            if (progress == nullptr || !progress->isVisible())
                return;
            watch.stop();
            QCOMPARE(progress->windowTitle(), QStringLiteral("Delete voices"));
            progress->findChild<QPushButton*>()->click();
            held.reset();
        });
        watch.start(20);
        trigger("DeleteVoices");
        QVERIFY(!watch.isActive());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(listed(), (QStringList{"One", "Two"}));
        QCOMPARE(host->errors, QStringList());
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith("Delete voices: ") && told[0].contains("left as it was"), qPrintable(told[0]));
    }

    // "Add voice to database" stores the current voice whole with the
    // categories chosen and lists it selected, also when another program
    // added a voice while the categories were asked; a library that cannot
    // be written is reported and left as it was.
    void addStoresTheWholeVoiceAndSelectsIt_data()
    {
        QTest::addColumn<bool>("otherAddsWhileAsked");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("stored") << false << false << QStringList{"One", "Two", "Added"};
        QTest::newRow("another program adds one meanwhile") << true << false << QStringList{"One", "Two", "Other", "Added"};
        QTest::newRow("read-only library") << false << true << QStringList{"One", "Two"};
    }
    void addStoresTheWholeVoiceAndSelectsIt()
    {
        QFETCH(bool, otherAddsWhileAsked);
        QFETCH(bool, readOnly);
        QFETCH(QStringList, after);
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        openBrowser();
        select({0});
        answerTypes({"cbPad", "cbBass"});
        if (otherAddsWhileAsked) {
            const auto answer = host->answer;
            host->answer = [&, answer](QDialog& dialog) {
                VoiceParameters other{};
                VoiceData otherData(other);
                std::memcpy(other.common.name, "Other   ", 8);
                QVERIFY(VoiceLibrary(path).appendRecord(0x0001, otherData).ok());
                answer(dialog);
            };
        }
        const QFile::Permissions permissions = QFile::permissions(QString::fromStdString(path));
        if (readOnly)
            QVERIFY(QFile::setPermissions(QString::fromStdString(path), QFile::ReadOwner));
        const QByteArray before = fileBytes(path);
        voice = test::RandomVoice(28).make();
        std::memcpy(voice.common.name, "Added   ", 8);
        const VoiceParameters added = voice;

        browser->Addvoicetodatabase1Click();
        QFile::setPermissions(QString::fromStdString(path), permissions);
        QCOMPARE(listed(), after);
        if (readOnly) {
            QCOMPARE(host->errors.size(), 1);
            QVERIFY2(host->errors[0].contains("read-only"), qPrintable(host->errors[0]));
            QCOMPARE(fileBytes(path), before);
            return;
        }
        QCOMPARE(host->errors, QStringList());
        const int number = int(after.size()) - 1;
        QCOMPARE(list()->currentIndex().row(), number);
        QVERIFY(list()->selectionModel()->isSelected(list()->currentIndex()));
        // The whole record: the categories and the voice as it was when added.
        LibraryRecord stored{}, expected{};
        QVERIFY(library->readRecord(number, stored).ok());
        VoiceParameters copy = added;
        VoiceData copyData(copy);
        copy = added;
        QVERIFY(makeRecord(0x0120, copyData, expected).ok());
        QVERIFY(stored == expected);
    }

    // Exporting many voices runs beside the window and shows its progress;
    // Cancel stops it between two files: the files there are the first
    // voices, each whole, nothing half written is left, and the user is told
    // how many were written.
    void cancellingAnExportKeepsTheWholeFilesWritten()
    {
        // Enough that writing them (each flushed to the disk) outlasts the
        // wait before the progress shows on any machine.
        constexpr int kVoices = 20000;
        std::vector<LibraryRecord> records(kVoices);
        for (int n = 0; n < kVoices; ++n) {
            std::memcpy(voice.common.name, QByteArray("V" + QByteArray::number(n).rightJustified(5, '0') + "  ").constData(), 8);
            QVERIFY(makeRecord(0x0001, *data, records[static_cast<std::size_t>(n)]).ok());
        }
        QVERIFY(library->appendRecords(records).ok());
        openBrowser();
        list()->selectAll();
        QTemporaryDir out;
        answerAll(true, {}, {}, out.path());
        QStringList told;
        const auto answer = host->answer;
        host->answer = [&, answer](QDialog& dialog) {
            if (auto* box = qobject_cast<QMessageBox*>(&dialog))
                told << box->text();
            answer(dialog);
        };
        bool cancelled = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto* progress = browser->findChild<QProgressDialog*>("LibraryProgress");
            if (progress == nullptr || !progress->isVisible() || progress->windowTitle() != "Export voices")
                return;
            watch.stop();
            QVERIFY2(progress->labelText().contains("voice file"), qPrintable(progress->labelText()));
            progress->findChild<QPushButton*>()->click();
            cancelled = true;
        });
        watch.start(20);
        trigger("ExportVoices");
        QVERIFY(cancelled);
        QCOMPARE(host->errors, QStringList());

        const QStringList files = QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        QVERIFY(!files.isEmpty() && files.size() < kVoices);
        QCOMPARE(told.size(), 1);
        QVERIFY2(told[0].startsWith(QStringLiteral("Cancelled: %1 voice file").arg(files.size()))
                     && told[0].contains(out.path()),
                 qPrintable(told[0]));
        // Each file is a whole dump of its voice, as the library loads it.
        for (int n = 0; n < files.size(); ++n) {
            QCOMPARE(files[n], QStringLiteral("V%1.SYX").arg(n, 5, 10, QLatin1Char('0')));
            QVERIFY2(holdsRecord(QDir(out.path()).filePath(files[n]), n), qPrintable(files[n]));
        }
    }

    // An export that fails part way (here at a damaged voice in the library)
    // says so and how many were written; those files are whole, and nothing
    // else changed.
    void anExportThatFailsPartWaySaysHowFarItGot()
    {
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        store("Three   ", 0x0004);
        {
            std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(5 + 596 + 4);  // the message of the second voice no longer opens with F0
            file.put('\0');
        }
        openBrowser();
        list()->selectAll();
        const QByteArray before = fileBytes(path);
        QTemporaryDir out;
        answerAll(true, {}, {}, out.path());
        trigger("ExportVoices");
        QCOMPARE(host->errors.size(), 1);
        QVERIFY2(host->errors[0].contains("voice number 1") && host->errors[0].contains("1 of 3 voices were exported"),
                 qPrintable(host->errors[0]));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"One.SYX"});
        QVERIFY(holdsRecord(QDir(out.path()).filePath("One.SYX"), 0));
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(listed(), (QStringList{"One", "Two", "Three"}));
    }

    void aDropWithOneFileThatIsNoVoiceAddsNothingAndNamesIt()
    {
        store("Old one ", 0x0001);
        openBrowser();
        const QByteArray before = fileBytes(path);
        const QString bad = QDir(dir.path()).filePath("notes.syx");
        {
            QFile file(bad);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("\xF0 not a voice \xF7");
        }
        answerAll(true, {"cbPad"});
        dropOnList({voiceFile("good.syx", "GoodOne "), bad});
        QCOMPARE(host->errors.size(), 1);
        QVERIFY(host->errors[0].contains("notes.syx"));
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(listed(), QStringList{"Old one"});
    }

    void emptyLibrary()
    {
        openBrowser();
        QCOMPARE(listed(), QStringList());
        QVERIFY(!browser->canModify());
        QCOMPARE(host->sends, 0);
        QCOMPARE(fileBytes(path), QByteArray("SYQVD"));

        std::memcpy(voice.common.name, "NewOne  ", 8);
        answerTypes({"cbPiano"});
        browser->Addvoicetodatabase1Click();
        QCOMPARE(listed(), QStringList{"NewOne"});
        QVERIFY(browser->canModify());
        QCOMPARE(library->recordCategories(0), 0x0400u);
    }

    // The first voice is shown, not sent: what goes to the instrument at
    // start-up is the program's choice.
    void startUpLoadsTheFirstVoiceWithoutSendingIt()
    {
        store("First   ", 0x0001);
        store("Second  ", 0x0002);
        std::memcpy(voice.common.name, "Current ", 8);
        openBrowser();
        QCOMPARE(QByteArray(voice.common.name, 8), QByteArray("First   "));
        QCOMPARE(host->sends, 0);
        QCOMPARE(list()->currentIndex().row(), 0);
    }

    void filtersListVoicesCarryingEveryCheckedCategory()
    {
        store("StrPad  ", 0x0001 | 0x0020);
        store("Strings ", 0x0001);
        store("Brass   ", 0x0002);
        store("BrasSolo", 0x0002 | 0x0040);
        openBrowser();
        const int sends = host->sends;
        click(browser.get(), "cbStrings");
        click(browser.get(), "cbPad");
        QCOMPARE(listed(), QStringList{"StrPad"});
        QCOMPARE(list()->currentIndex().row(), 0);
        QCOMPARE(host->sends, sends);  // a filter change loads nothing
        click(browser.get(), "cbStrings");
        click(browser.get(), "cbPad");
        QCOMPARE(listed().size(), 4);
        click(browser.get(), "cbBrass");
        click(browser.get(), "cbSolo");
        QCOMPARE(listed(), QStringList{"BrasSolo"});
        QCOMPARE(browser->filterMask(), 0x0042u);
    }

    void addingUnderAFilterAndClearingIt()
    {
        store("Organ 1 ", 0x0800);
        openBrowser();
        click(browser.get(), "cbOrgan");
        std::memcpy(voice.common.name, "Piano 1 ", 8);
        answerTypes({"cbPiano"});
        browser->Addvoicetodatabase1Click();
        QCOMPARE(listed(), QStringList{"Organ 1"});
        QCOMPARE(browser->filterMask(), 0x0800u);
        click(browser.get(), "cbOrgan");
        QCOMPARE(listed(), (QStringList{"Organ 1", "Piano 1"}));
    }

    void modifyAsksAndNoLeavesTheFileAlone()
    {
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        openBrowser();
        list()->setCurrentIndex(list()->model()->index(1, 0));
        std::memcpy(voice.common.name, "Replaced", 8);
        answerTypes({"cbBass"});
        const QByteArray before = fileBytes(path);
        host->overwriteAnswer = QDialog::Rejected;
        browser->ModifyVoiceClick();
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(browser->filterMask(), 0u);

        host->overwriteAnswer = QDialog::Accepted;
        browser->ModifyVoiceClick();
        QCOMPARE(listed(), (QStringList{"One", "Replaced"}));
        QCOMPARE(library->recordCategories(1), 0x0100u);
        QCOMPARE(fileBytes(path).left(601), before.left(601));  // record 0 untouched
    }

    void loadingByDoubleClickAndEnter()
    {
        store("One     ", 0x0001);
        store("Two     ", 0x0002);
        openBrowser();
        const int sends = host->sends;
        const QModelIndex two = list()->model()->index(1, 0);
        list()->setCurrentIndex(two);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(two).center());
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(two).center());
        QCOMPARE(QByteArray(voice.common.name, 8), QByteArray("Two     "));
        QCOMPARE(host->sends, sends + 1);
        QCOMPARE(host->refreshes, 1);

        list()->setCurrentIndex(list()->model()->index(0, 0));
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(QByteArray(voice.common.name, 8), QByteArray("One     "));
        QCOMPARE(host->refreshes, 2);

        list()->selectionModel()->clearSelection();
        std::memcpy(voice.common.name, "Mine    ", 8);
        QTest::keyClick(list(), Qt::Key_Return);
        QCOMPARE(QByteArray(voice.common.name, 8), QByteArray("Mine    "));
        QCOMPARE(host->refreshes, 3);  // Enter with no selection still refreshes
    }

    // Shown as the program shows it: Escape and closing the window leave it
    // open, only "&Okay" with a category chosen ends it, and the marks stay
    // for the next use.
    void voiceTypeDialogKeepsItsMarks()
    {
        TSelectVoiceType& dialog = host->voiceType;
        auto* okay = dialog.findChild<QPushButton*>("Okay");
        auto* info = dialog.findChild<QLabel*>("InfoLabel");
        struct Seen {
            bool shown = false, okayHiddenAtFirst = false, okayShownWithOne = false, okayHiddenWithNone = false;
            bool openAfterEscape = false, openAfterClose = false;
            QString info;
            std::uint32_t mask = 0;
        } seen;
        QTimer::singleShot(0, this, [&] {
            seen.shown = dialog.isVisible();
            seen.okayHiddenAtFirst = okay->isHidden() && !info->isHidden();
            seen.info = info->text();
            click(&dialog, "cbSynthetic");
            seen.okayShownWithOne = !okay->isHidden() && info->isHidden();
            click(&dialog, "cbSynthetic");
            seen.okayHiddenWithNone = okay->isHidden();
            QTest::keyClick(&dialog, Qt::Key_Escape);
            seen.openAfterEscape = dialog.isVisible();
            dialog.close();
            seen.openAfterClose = dialog.isVisible();
            click(&dialog, "cbVocal");
            click(&dialog, "cbRealistic");
            seen.mask = dialog.buildCategoryMask();
            QDir().mkpath(MORVANE_GRAB_DIR);
            dialog.grab().save(QDir(MORVANE_GRAB_DIR).filePath("select-voice-type.png"));
            okay->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QVERIFY(seen.shown);
        QVERIFY(seen.okayHiddenAtFirst);
        QCOMPARE(seen.info, QStringLiteral("Select at least one check box"));
        QVERIFY(seen.okayShownWithOne);
        QVERIFY(seen.okayHiddenWithNone);
        QVERIFY(seen.openAfterEscape);
        QVERIFY(seen.openAfterClose);
        QCOMPARE(seen.mask, 0x0200u | 0x8000u);

        std::uint32_t nextUse = 0;
        QTimer::singleShot(0, this, [&] {
            nextUse = dialog.buildCategoryMask();
            QTest::keyClick(&dialog, Qt::Key_Return);   // "&Okay" is the default button
        });
        QCOMPARE(dialog.exec(), int(QDialog::Accepted));
        QCOMPARE(nextUse, 0x8200u);
    }

    void nameSearchCombinesWithCategoriesAndSurvivesChanges()
    {
        store("Brass 1 ", 0x0002);
        store("SoftPad ", 0x0020);
        store("BrassPad", 0x0022);
        openBrowser();
        auto* search = browser->findChild<QLineEdit*>("tfSearch");
        QVERIFY(search);
        QTest::keyClicks(search, "pad");
        QCOMPARE(listed(), (QStringList{"SoftPad", "BrassPad"}));
        click(browser.get(), "cbBrass");
        QCOMPARE(listed(), QStringList{"BrassPad"});

        std::memcpy(voice.common.name, "PadBrass", 8);
        answerTypes({"cbBrass"});
        browser->Addvoicetodatabase1Click();
        QCOMPARE(listed(), (QStringList{"BrassPad", "PadBrass"}));
        QCOMPARE(search->text(), QStringLiteral("pad"));

        // Another program appends: the next key press lists it.
        VoiceLibrary other(path);
        std::memcpy(voice.common.name, "Pad 9   ", 8);
        QVERIFY(other.appendRecord(0x0002, *data).ok());
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(listed(), (QStringList{"BrassPad", "PadBrass", "Pad 9"}));

        // The box's clear button empties it and lists every brass voice.
        auto* clear = search->findChild<QToolButton*>();
        QVERIFY(clear);
        QTRY_VERIFY(clear->isVisible());
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(search->text(), QString());
        QCOMPARE(listed(), (QStringList{"Brass 1", "BrassPad", "PadBrass", "Pad 9"}));
    }

    // The list keeps the rows of recent filters and narrows from them; after
    // any run of key presses, clicks, order changes and voices appended,
    // changed or deleted it must list exactly
    // what the filter rule lists from scratch.
    void theListAgreesWithTheFilterRuleWhateverCameBefore_data()
    {
        QTest::addColumn<int>("voices");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("byNameAt");  // the step that switches to the order by name, or -1
        QTest::newRow("a few hundred voices") << 300 << 600 << -1;
        // Enough for the order by name to be worked out beside the window,
        // and changed by the voices changed before it is asked for.
        QTest::newRow("sixty thousand") << 60000 << 40 << 20;
    }
    void theListAgreesWithTheFilterRuleWhateverCameBefore()
    {
        QFETCH(int, voices);
        QFETCH(int, steps);
        QFETCH(int, byNameAt);
        std::mt19937 rng(28);
        const std::string letters = "abAB c";
        const auto randomRecord = [&]() -> RecordSummary {
            std::string name(8, ' ');
            for (char& c : name)
                c = letters[rng() % letters.size()];
            return {name, (1u << (rng() % 4)) | (1u << (rng() % 4)) | (rng() % 2 ? 0x10000u : 0u)};
        };
        std::vector<RecordSummary> records;
        for (int n = 0; n < voices; ++n)
            records.push_back(randomRecord());
        LibraryListModel model;
        model.setRecords(records);
        std::uint32_t mask = 0;
        std::string part;
        bool any = false, byName = false;
        for (int step = 0; step < steps; ++step) {
            switch (rng() % 9) {
            case 0: case 1:
                if (part.size() < 4)
                    part += "abAB c"[rng() % 6];
                break;
            case 2:
                if (!part.empty())
                    part.pop_back();
                break;
            case 3: mask ^= 1u << (rng() % 4); break;
            case 4: any = !any; break;
            case 5: byName = rng() % 4 == 0 ? !byName : byName; break;
            case 6:
                if (rng() % 4 == 0) {  // voices appended to the library
                    std::vector<RecordSummary> added(1 + rng() % 3);
                    for (RecordSummary& record : added)
                        record = randomRecord();
                    records.insert(records.end(), added.begin(), added.end());
                    model.appendRecords(added);
                }
                break;
            case 7: {  // a voice renamed, recategorised or replaced
                const int n = static_cast<int>(rng() % records.size());
                records[static_cast<std::size_t>(n)] = randomRecord();
                model.replaceRecord(n, records[static_cast<std::size_t>(n)]);
                break;
            }
            case 8:
                if (rng() % 4 == 0 && records.size() > 50) {  // voices deleted
                    std::vector<int> removed{static_cast<int>(rng() % records.size()), static_cast<int>(rng() % records.size())};
                    std::sort(removed.begin(), removed.end());
                    removed.erase(std::unique(removed.begin(), removed.end()), removed.end());
                    for (auto it = removed.rbegin(); it != removed.rend(); ++it)
                        records.erase(records.begin() + *it);
                    model.removeRecords(removed);
                }
                break;
            }
            if (step == byNameAt) {  // the whole list by name
                byName = true;
                mask = 0;
                part.clear();
            }
            model.setSortByName(byName);
            model.setFilter(mask, part, any);
            std::vector<int> expected = filterRecords(records, mask, part, any);
            // A long list's order by name comes from beside the window; until
            // it is there the rows stay by number.
            if (byName && !model.listedByName()) {
                std::vector<int> meanwhile;
                for (int row = 0; row < model.rowCount(); ++row)
                    meanwhile.push_back(model.recordOfRow(row));
                QVERIFY2(meanwhile == expected, qPrintable(QStringLiteral("step %1, by number meanwhile").arg(step)));
                QTRY_VERIFY(model.nameOrderReady());
                model.setFilter(mask, part, any);
                QVERIFY(model.listedByName());
            }
            if (byName) {
                const auto key = [&](int n) {
                    QString name = QString::fromStdString(records[static_cast<std::size_t>(n)].name).toLower();
                    return std::make_pair(name, n);
                };
                std::sort(expected.begin(), expected.end(), [&](int a, int b) { return key(a) < key(b); });
            }
            std::vector<int> shown;
            for (int row = 0; row < model.rowCount(); ++row)
                shown.push_back(model.recordOfRow(row));
            QVERIFY2(shown == expected, qPrintable(QStringLiteral("step %1: mask %2, \"%3\", any %4, by name %5")
                                                       .arg(step).arg(mask).arg(QString::fromStdString(part))
                                                       .arg(any).arg(byName)));
            for (std::size_t row = 0; row < shown.size(); row += 7)
                QCOMPARE(model.rowOfRecord(shown[row]), int(row));
            QCOMPARE(model.recordCount(), int(records.size()));
            for (std::size_t n = step % 5; n < records.size(); n += 5)
                QVERIFY(model.record(int(n)) == records[n]);
        }
    }

    // A change made here is taken into the list without reading the library
    // again only when nothing else changed it: another program's voice,
    // added while the rename dialog was open, is listed too.
    void anotherProgramsChangeDuringADialogIsListedWithOurs()
    {
        store("One     ", 0x1);
        store("Two     ", 0x1);
        openBrowser();
        select({0});
        answerAll(true, {}, "First");
        const auto rename = host->answer;
        host->answer = [&, rename](QDialog& dialog) {
            VoiceLibrary other(path);
            std::memcpy(voice.common.name, "Three   ", 8);
            QVERIFY(other.appendRecord(0x1, *data).ok());
            rename(dialog);
        };
        trigger("RenameVoice");
        QCOMPARE(listed(), (QStringList{"First", "Two", "Three"}));
    }

    // Another program renames a voice in place and appends one: the file
    // only grew, but the list is read whole and shows both.
    void anotherProgramsRenameAndAppendAreBothListed()
    {
        store("One     ", 0x1);
        store("Two     ", 0x1);
        openBrowser();
        VoiceLibrary other(path);
        QVERIFY(other.renameRecord(0, "Uno").ok());
        std::memcpy(voice.common.name, "Three   ", 8);
        QVERIFY(other.appendRecord(0x1, *data).ok());
        auto* search = browser->findChild<QLineEdit*>("tfSearch");
        QTest::keyClick(search, 'o');
        QCOMPARE(listed(), (QStringList{"Uno", "Two"}));
        QTest::keyClick(search, Qt::Key_Backspace);
        QCOMPARE(listed(), (QStringList{"Uno", "Two", "Three"}));
    }

    // A list too long to be placed at once still scrolls to the voice loaded
    // far down it.
    void aVoiceFarDownALongListIsScrolledTo()
    {
        LibraryRecord record;
        std::memcpy(voice.common.name, "Far     ", 8);
        QVERIFY(makeRecord(0x1, *data, record).ok());
        QVERIFY(library->appendRecords(std::vector<LibraryRecord>(30000, record)).ok());
        openBrowser();
        list()->resize(200, 300);
        browser->showLoadedRecord(29000);
        const QModelIndex far = list()->model()->index(29000, 0);
        QCOMPARE(list()->currentIndex(), far);
        QTRY_VERIFY(list()->viewport()->rect().intersects(list()->visualRect(far)));
    }

    // At start-up a long library is read beside the window: its first voice
    // is current at once, and the list follows when the reading is there.
    void aLongLibraryIsListedBesideTheWindowAtStartUp()
    {
        std::vector<LibraryRecord> records(2);
        setVoiceName(voice.common, "First");
        QVERIFY(makeRecord(0x3, *data, records[0]).ok());
        setVoiceName(voice.common, "Other");
        QVERIFY(makeRecord(0x1, *data, records[1]).ok());
        std::vector<LibraryRecord> all(60000, records[1]);
        all.front() = records[0];
        QVERIFY(library->appendRecords(all).ok());
        VoiceParameters first{};
        VoiceData firstData(first);
        QVERIFY(library->loadRecord(0, firstData).ok());

        openBrowser();
        QCOMPARE(list()->model()->rowCount(), 0);  // not read on the window's thread
        QCOMPARE(std::memcmp(&voice, &first, sizeof voice), 0);
        QCOMPARE(host->loaded, 1);
        QTRY_COMPARE(list()->model()->rowCount(), 60000);
        QCOMPARE(list()->currentIndex().data(LibraryListModel::kRecordRole).toInt(), 0);
        QCOMPARE(host->loaded, 1);  // listing it loads nothing again
        QVERIFY(host->errors.isEmpty());
    }

    // A long library changed by another program is read again beside the
    // window: the list stays as it was until the reading is there, then
    // shows the library as it is, still by name.
    void aLongLibraryIsReadAgainBesideTheWindow()
    {
        std::vector<LibraryRecord> records;
        for (const char* name : {"Delta   ", "Alpha   ", "Charlie ", "Bravo   "}) {
            std::memcpy(voice.common.name, name, 8);
            records.emplace_back();
            QVERIFY(makeRecord(0x1, *data, records.back()).ok());
        }
        constexpr int kRecords = 60000;
        std::vector<LibraryRecord> all;
        for (int n = 0; n < kRecords; ++n)
            all.push_back(records[static_cast<std::size_t>(n) % records.size()]);
        QVERIFY(library->appendRecords(all).ok());
        openBrowser();
        browser->findChild<QComboBox*>("cbSort")->setCurrentIndex(1);
        QTRY_COMPARE(list()->model()->index(0, 0).data().toString().trimmed(), QStringLiteral("Alpha"));
        QCOMPARE(list()->model()->index(kRecords - 1, 0).data().toString().trimmed(), QStringLiteral("Delta"));

        VoiceLibrary other(path);
        QVERIFY(other.removeRecords({1, 5}).ok());  // two "Alpha"s go, the file is a new one
        browser->fillList();
        QCOMPARE(list()->model()->rowCount(), kRecords);
        QTRY_COMPARE(list()->model()->rowCount(), kRecords - 2);
        const auto* model = static_cast<LibraryListModel*>(list()->model());
        QVERIFY(model->listedByName());
        QCOMPARE(list()->model()->index(0, 0).data(LibraryListModel::kRecordRole).toInt(), 7);  // once 9
        QCOMPARE(list()->model()->index(kRecords / 4 - 3, 0).data().toString().trimmed(), QStringLiteral("Alpha"));
        QCOMPARE(list()->model()->index(kRecords / 4 - 2, 0).data().toString().trimmed(), QStringLiteral("Bravo"));
        QVERIFY(host->errors.isEmpty());
    }

    void voiceTypeCancelAddsNothingAndKeepsTheMarks()
    {
        store("One     ", 0x0001);
        openBrowser();
        host->voiceType.setCategoryMask(0x0100);
        const QByteArray before = fileBytes(path);
        host->answer = [](QDialog& dialog) {
            dialog.findChild<QCheckBox*>("cbPad")->click();
            dialog.findChild<QPushButton*>("Cancel")->click();
        };
        browser->Addvoicetodatabase1Click();
        host->overwriteAnswer = QDialog::Accepted;
        browser->ModifyVoiceClick();
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(host->voiceType.buildCategoryMask(), 0x0100u);
    }

    void managingActsOnTheListedRecordsUnderAFilter()
    {
        store("Lead 1  ", 0x0040);
        store("Pad 1   ", 0x0020);
        store("Lead 2  ", 0x0040);
        store("Pad 2   ", 0x0021);
        store("Lead 3  ", 0x0040);
        openBrowser();
        QTest::keyClicks(browser->findChild<QLineEdit*>("tfSearch"), "pad");
        QCOMPARE(listed(), (QStringList{"Pad 1", "Pad 2"}));

        // Changing the categories starts from the record's own, not the last used.
        host->voiceType.setCategoryMask(0x8000);
        select({1});
        std::uint32_t shownMask = 0;
        host->answer = [&](QDialog& dialog) {
            shownMask = static_cast<TSelectVoiceType&>(dialog).buildCategoryMask();
            dialog.findChild<QPushButton*>("Cancel")->click();
        };
        const QByteArray before = fileBytes(path);
        trigger("ChangeCategories");
        QCOMPARE(shownMask, 0x0021u);
        QCOMPARE(fileBytes(path), before);
        answerAll(true, {"cbPad", "cbBass"});
        trigger("ChangeCategories");
        QCOMPARE(library->recordCategories(3), 0x0120u);
        QCOMPARE(library->recordCategories(1), 0x0020u);

        select({0});
        answerAll(true, {}, "Warm Pad");
        trigger("RenameVoice");
        QCOMPARE(listed(), (QStringList{"Warm Pad", "Pad 2"}));
        QCOMPARE(QString::fromStdString(library->recordName(1)), QStringLiteral("Warm Pad"));

        QTemporaryDir out;
        select({0, 1});
        answerAll(true, {}, {}, out.path());
        trigger("ExportVoices");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files), (QStringList{"Pad 2.SYX", "Warm Pad.SYX"}));

        answerAll(false, {});
        trigger("DeleteVoices");
        QCOMPARE(library->recordCount(), 5);
        answerAll(true, {});
        titles.clear();
        trigger("DeleteVoices");
        QCOMPARE(titles, QStringList{"Delete voices"});
        QCOMPARE(library->recordCount(), 3);
        QCOMPARE(listed(), QStringList());
        browser->findChild<QLineEdit*>("tfSearch")->clear();
        QCOMPARE(listed(), (QStringList{"Lead 1", "Lead 2", "Lead 3"}));
    }

    // Another program changes the library after it was listed. The browser
    // acts on the voice the user picked, checked by its contents: when that
    // voice is no longer where it was (or goes while the question is open),
    // the user is told and nothing changes; when it is, it is acted on.
    void aStaleSelectionActsOnThePickedVoiceOrOnNone_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("removeFirst");  // else the other program appends a voice
        QTest::addColumn<bool>("whileAsked");
        QTest::addColumn<QStringList>("after");
        const QStringList others{"V1", "V2", "V3", "V4", "V5", "V6", "V7"};
        for (const char* action : {"DeleteVoices", "RenameVoice"}) {
            QTest::addRow("%s, first voice removed before", action) << action << true << false << others;
            QTest::addRow("%s, first voice removed while asked", action) << action << true << true << others;
        }
        QTest::newRow("DeleteVoices, a voice appended")
            << "DeleteVoices" << false << false << QStringList{"V0", "V1", "V2", "V3", "V4", "V6", "V7", "V8"};
        QTest::newRow("RenameVoice, a voice appended")
            << "RenameVoice" << false << false
            << QStringList{"V0", "V1", "V2", "V3", "V4", "Picked", "V6", "V7", "V8"};
    }
    void aStaleSelectionActsOnThePickedVoiceOrOnNone()
    {
        QFETCH(QString, action);
        QFETCH(bool, removeFirst);
        QFETCH(bool, whileAsked);
        QFETCH(QStringList, after);
        for (int i = 0; i < 8; ++i)
            store(QByteArray("V" + QByteArray::number(i) + "      ").constData(), 0x0001);
        openBrowser();
        select({5});
        QCOMPARE(list()->currentIndex().data().toString().trimmed(), QStringLiteral("V5"));

        const auto otherProgram = [&] {
            VoiceLibrary other(path);
            if (removeFirst) {
                QVERIFY(other.removeRecords({0}));
            } else {
                VoiceParameters v;
                VoiceData d(v);
                std::memcpy(v.common.name, "V8      ", 8);
                QVERIFY(other.appendRecord(0x0001, d));
            }
        };
        if (!whileAsked)
            otherProgram();
        answerAll(true, {}, "Picked");
        if (whileAsked) {
            const auto answer = host->answer;
            host->answer = [&, answer](QDialog& dialog) {
                otherProgram();
                answer(dialog);
            };
        }
        trigger(action.toLatin1().constData());

        QStringList stored;
        std::vector<RecordSummary> records;
        QVERIFY(library->scanRecords(records));
        for (const RecordSummary& r : records)
            stored << QString::fromStdString(r.name).trimmed();
        QCOMPARE(stored, after);
        QCOMPARE(listed(), after);
        if (removeFirst) {
            QCOMPARE(host->errors.size(), 1);
            QVERIFY2(host->errors[0].contains("\"V5\" is no longer where it was"), qPrintable(host->errors[0]));
        } else {
            QCOMPARE(host->errors, QStringList());
        }
    }

    // Many selected voices (more than are read one by one) are checked
    // against the file in one pass beside the window before they are deleted.
    void manySelectedVoicesAreCheckedTogether_data()
    {
        QTest::addColumn<bool>("oneGoneBefore");
        QTest::newRow("all there") << false;
        QTest::newRow("one removed by another program") << true;
    }
    void manySelectedVoicesAreCheckedTogether()
    {
        QFETCH(bool, oneGoneBefore);
        for (int i = 0; i < 20; ++i)
            store(QByteArray("Many" + QByteArray::number(i).rightJustified(2, '0') + "  ").constData(), 0x1);
        openBrowser();
        list()->selectAll();
        if (oneGoneBefore)
            QVERIFY(VoiceLibrary(path).removeRecords({19}).ok());
        const QByteArray before = fileBytes(path);
        answerAll(true, {});
        trigger("DeleteVoices");
        if (oneGoneBefore) {
            QCOMPARE(host->errors.size(), 1);
            QVERIFY2(host->errors[0].contains("\"Many19\" is no longer where it was"), qPrintable(host->errors[0]));
            QCOMPARE(fileBytes(path), before);
            QCOMPARE(listed().size(), 19);
        } else {
            QCOMPARE(host->errors, QStringList());
            QCOMPARE(library->recordCount(), 0);
            QCOMPARE(listed(), QStringList());
        }
    }

    // The voices deleted are exactly those picked, however the rows picked
    // lie in a list ordered by name: a few, or most of the library.
    void theVoicesPickedAreTheOnesDeleted_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("a few here and there") << QList<int>{70, 3, 41};
        QList<int> most;
        for (int row = 0; row < 100; ++row)
            if (row % 10 != 7)
                most << row;
        QTest::newRow("most of them") << most;
    }
    void theVoicesPickedAreTheOnesDeleted()
    {
        QFETCH(QList<int>, rows);
        // By name, row r lists voice 99 - r.
        std::vector<LibraryRecord> records(100);
        for (int n = 0; n < 100; ++n) {
            std::memcpy(voice.common.name, QByteArray("N" + QByteArray::number(99 - n).rightJustified(2, '0') + "     ").constData(), 8);
            QVERIFY(makeRecord(0x0001, *data, records[static_cast<std::size_t>(n)]).ok());
        }
        QVERIFY(library->appendRecords(records).ok());
        openBrowser();
        browser->setSortByName(true);
        list()->selectionModel()->clear();
        for (int row : rows)
            list()->selectionModel()->select(list()->model()->index(row, 0), QItemSelectionModel::Select);
        QStringList kept;
        for (int n = 0; n < 100; ++n)
            if (!rows.contains(99 - n))
                kept << QStringLiteral("N%1").arg(99 - n, 2, 10, QLatin1Char('0'));
        answerAll(true, {});
        trigger("DeleteVoices");
        QCOMPARE(host->errors, QStringList());
        std::vector<RecordSummary> left;
        QVERIFY(library->scanRecords(left));
        QStringList stored;
        for (const RecordSummary& record : left)
            stored << QString::fromStdString(record.name).trimmed();
        QCOMPARE(stored, kept);
    }

    // A folder or a pipe dropped on the list is refused in words; the
    // program neither ends nor waits for the pipe.
    void aFolderOrAPipeDroppedOnTheListIsRefused()
    {
        store("Old one ", 0x0001);
        openBrowser();
        const QString folder = QDir(dir.path()).filePath("dropped folder");
        QVERIFY(QDir(dir.path()).mkdir("dropped folder"));
        const QString pipe = QDir(dir.path()).filePath("dropped.syx");
        QCOMPARE(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
        const QByteArray before = fileBytes(path);
        for (const QString& dropped : {folder, pipe}) {
            host->errors.clear();
            answerAll(true, {"cbPad"});
            dropOnList({dropped});
            QCOMPARE(host->errors.size(), 1);
            QVERIFY2(host->errors[0].contains(dropped + ": not a regular file"), qPrintable(host->errors[0]));
            QCOMPARE(fileBytes(path), before);
            QCOMPARE(listed(), QStringList{"Old one"});
        }
        QFile::remove(pipe);
    }

    void aLibraryThatCannotBeOpenedIsReportedAndLeftAlone()
    {
        QDir(dir.path()).mkdir("SOUNDS.SYL");  // a folder where the file should be
        openBrowser();
        QVERIFY(!host->errors.isEmpty());
        QVERIFY(QFileInfo(QString::fromStdString(path)).isDir());
        QCOMPARE(listed(), QStringList());
        QDir(dir.path()).rmdir("SOUNDS.SYL");
    }
};

QTEST_MAIN(LibraryBrowserTest)
#include "LibraryBrowserTest.moc"
