#include "LibraryBrowser.h"
#include "TSelectVoiceType.h"
#include "VoiceData.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <fstream>
#include <functional>

using namespace morvane;

namespace {

// Stands in for the program around the browser and for the person who
// answers its dialogs.
class BrowserHost : public LibraryBrowserHost {
public:
    std::function<void(QDialog&)> answer;
    int sends = 0;
    int refreshes = 0;
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

    void startUpLoadsTheFirstVoice()
    {
        store("First   ", 0x0001);
        store("Second  ", 0x0002);
        std::memcpy(voice.common.name, "Current ", 8);
        openBrowser();
        QCOMPARE(QByteArray(voice.common.name, 8), QByteArray("First   "));
        QCOMPARE(host->sends, 1);
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
