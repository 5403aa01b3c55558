// The message dialogs and the about box, shown through the modal seam and
// answered as a person would.
#include "AboutMorvane.h"
#include "Artwork.h"
#include "MessageDialogs.h"
#include "ModalHost.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <functional>
#include <memory>

namespace morvane {
namespace {

struct DialogCase {
    const char* name;
    std::function<std::unique_ptr<MessageDialog>()> make;
    const char* caption;
    QStringList lines;
    QSize clientSize;
    QStringList buttons;     // left to right
    QList<int> results;      // of each button
    int defaultResult;       // what Enter answers
};

template <typename Dialog>
std::unique_ptr<MessageDialog> make()
{
    return std::make_unique<Dialog>();
}

const QList<DialogCase>& cases()
{
    static const QList<DialogCase> all{
        {"TInvFile", make<TInvFile>, "Invalid file",
         {"Selected file does not contain a valid", "SY-22 or SY-35 System Exclusive dump"}, {388, 85}, {"Okay"},
         {QDialog::Accepted}, QDialog::Accepted},
        {"TSaveErrDlg", make<TSaveErrDlg>, "Save error", {"Error saving file"}, {427, 75}, {"Okay"},
         {QDialog::Accepted}, QDialog::Accepted},
        {"TOverwriteDlg", make<TOverwriteDlg>, "Overwrite voice",
         {"Are you sure you wish to overwrite the selected", "voice in the database?"}, {427, 93}, {"&No", "&Yes"},
         {QDialog::Rejected, QDialog::Accepted}, QDialog::Rejected},
        {"TnoMIDIData", make<TnoMIDIData>, "No data", {"No data received"}, {295, 65}, {"Bummer!"},
         {QDialog::Accepted}, QDialog::Accepted},
        {"TDataReceivedForm", make<TDataReceivedForm>, "MIDI Received", {"MIDI dump received"}, {348, 65},
         {"Okay"}, {QDialog::Accepted}, QDialog::Accepted},
        {"TMIDIOpenError", make<TMIDIOpenError>, "MIDI Open Error", {"Error opening MIDI port", ""}, {427, 117},
         {"Nuts!"}, {QDialog::Accepted}, QDialog::Accepted},
    };
    return all;
}

QWidget* focusOrSelf(QDialog& dialog)
{
    QWidget* focus = dialog.focusWidget();
    return focus ? focus : &dialog;
}

void saveGrab(QWidget& widget, const QString& name)
{
    QDir().mkpath(QStringLiteral(MORVANE_GRAB_DIR));
    widget.grab().save(QStringLiteral(MORVANE_GRAB_DIR "/") + name + QStringLiteral(".png"));
}

} // namespace

class DialogTest : public QObject {
    Q_OBJECT

private slots:
    void eachDialogLooksAsDescribed_data() { addCases(); }
    void eachDialogLooksAsDescribed()
    {
        QFETCH(int, index);
        const DialogCase& c = cases()[index];
        const auto dialog = c.make();
        QCOMPARE(dialog->windowTitle(), QString::fromLatin1(c.caption));
        QCOMPARE(dialog->size(), c.clientSize);
        QCOMPARE(dialog->minimumSize(), c.clientSize);
        QCOMPARE(dialog->maximumSize(), c.clientSize);
        const Qt::WindowFlags flags = dialog->windowFlags();
        QVERIFY(!(flags & Qt::WindowCloseButtonHint));
        QVERIFY(!(flags & Qt::WindowSystemMenuHint));

        QStringList lines;
        for (const QLabel* line : dialog->lines())
            lines << line->text();
        QCOMPARE(lines, c.lines);
        // The message proper: bold and red.
        const QLabel* first = dialog->lines().front();
        QVERIFY(first->font().bold());
        QCOMPARE(first->palette().color(QPalette::WindowText), QColor(Qt::red));

        QStringList buttons;
        for (const QPushButton* button : dialog->buttons()) {
            buttons << button->text();
            QVERIFY(!button->icon().isNull());
        }
        QCOMPARE(buttons, c.buttons);
        // Left to right, as listed.
        for (int i = 1; i < dialog->buttons().size(); ++i)
            QVERIFY(dialog->buttons()[i - 1]->x() < dialog->buttons()[i]->x());
    }

    void eachButtonGivesItsResult_data() { addCases(); }
    void eachButtonGivesItsResult()
    {
        QFETCH(int, index);
        const DialogCase& c = cases()[index];
        for (int i = 0; i < c.buttons.size(); ++i) {
            const auto dialog = c.make();
            ModalHost host;
            bool wasModal = false;
            host.setAnswerer([&](QDialog& shown) {
                wasModal = shown.isVisible() && shown.isModal();
                if (i == 0)
                    saveGrab(shown, QString::fromLatin1(c.name));
                QTest::mouseClick(dialog->buttons()[i], Qt::LeftButton);
            });
            QCOMPARE(host.showModal(*dialog), c.results[i]);
            QVERIFY(wasModal);
            QVERIFY(!dialog->isVisible());
        }
    }

    void enterAnswersTheDefaultButton_data() { addCases(); }
    void enterAnswersTheDefaultButton()
    {
        QFETCH(int, index);
        const DialogCase& c = cases()[index];
        const auto dialog = c.make();
        ModalHost host;
        host.setAnswerer([](QDialog& shown) { QTest::keyClick(focusOrSelf(shown), Qt::Key_Return); });
        QCOMPARE(host.showModal(*dialog), c.defaultResult);
        // Still the default when the focus has moved to another button.
        host.setAnswerer([](QDialog& shown) {
            auto* last = static_cast<MessageDialog&>(shown).buttons().back();
            last->setFocus();
            QTest::keyClick(focusOrSelf(shown), Qt::Key_Enter);
        });
        QCOMPARE(host.showModal(*dialog), c.defaultResult);
    }

    void escapeAndCloseDoNotEndIt_data() { addCases(); }
    void escapeAndCloseDoNotEndIt()
    {
        QFETCH(int, index);
        const DialogCase& c = cases()[index];
        const auto dialog = c.make();
        ModalHost host;
        bool refusedClose = false;
        host.setAnswerer([&](QDialog& shown) {
            QTest::keyClick(focusOrSelf(shown), Qt::Key_Escape);
            QTest::keyClick(&shown, Qt::Key_Escape);
            QCloseEvent fromWindowManager;
            QCoreApplication::sendEvent(&shown, &fromWindowManager);
            refusedClose = !fromWindowManager.isAccepted() && !shown.close() && shown.isVisible();
        });
        // Left open by the answer, the host ends it by force.
        QCOMPARE(host.showModal(*dialog), ModalHost::kUnanswered);
        QVERIFY(refusedClose);
    }

    void dialogsTakeTheirPlaceOnTheScreen()
    {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        for (const DialogCase& c : cases()) {
            const auto dialog = c.make();
            ModalHost host;
            QRect shownAt;
            host.setAnswerer([&](QDialog& shown) {
                shownAt = shown.geometry();
                QTest::mouseClick(dialog->buttons().front(), Qt::LeftButton);
            });
            host.showModal(*dialog);
            if (QByteArray(c.name) == "TSaveErrDlg") {
                QCOMPARE(dialog->pos(), QPoint(200, 108));
            } else {
                const QPoint offset = shownAt.center() - screen.center();
                QVERIFY2(offset.manhattanLength() <= 40, c.name);
            }
        }
    }

    void midiOpenErrorKeepsItsTextUntilReplaced()
    {
        TMIDIOpenError dialog;
        QCOMPARE(dialog.tfError->text(), QString());  // its design-time name is never shown
        QCOMPARE(dialog.tfError->palette().color(QPalette::WindowText), QColor(Qt::cyan));
        QVERIFY(!dialog.tfError->font().bold());
        QCOMPARE(dialog.label->text(), QStringLiteral("Error opening MIDI port"));
        QCOMPARE(dialog.BitBtn1->text(), QStringLiteral("Nuts!"));

        ModalHost host;
        QStringList seen;
        host.setAnswerer([&](QDialog&) {
            seen << dialog.tfError->text();
            dialog.BitBtn1->click();
        });
        dialog.setError(QStringLiteral("MidiInAlsa::openPort: no such port"));
        QCOMPARE(host.showModal(dialog), int(QDialog::Accepted));
        QCOMPARE(host.showModal(dialog), int(QDialog::Accepted));
        dialog.setError(QStringLiteral("MidiOutAlsa::openPort: busy"));
        QCOMPARE(host.showModal(dialog), int(QDialog::Accepted));
        QCOMPARE(seen, (QStringList{"MidiInAlsa::openPort: no such port", "MidiInAlsa::openPort: no such port",
                                    "MidiOutAlsa::openPort: busy"}));

        dialog.setError(QString(300, QLatin1Char('e')));
        QCOMPARE(dialog.tfError->text().size(), 255);
        dialog.setError(QStringLiteral("The ALSA sequencer could not be opened"));
        saveGrab(dialog, QStringLiteral("TMIDIOpenError-with-error"));

        // A long text wraps and the dialog grows to show all of it; a short
        // one brings it back to its own size.
        const QString longText = QStringLiteral(
            "No MIDI input can be opened: no JACK server is running and the ALSA sequencer is not available "
            "(MidiInAlsa::initialize: error creating ALSA sequencer client object).");
        dialog.setError(longText);
        QVERIFY(dialog.height() > 117);
        QVERIFY(dialog.tfError->height() >= dialog.tfError->heightForWidth(dialog.tfError->width()));
        QVERIFY(dialog.tfError->geometry().bottom() < dialog.BitBtn1->geometry().top());
        saveGrab(dialog, QStringLiteral("TMIDIOpenError-long"));
        dialog.setError(QStringLiteral("busy"));
        QCOMPARE(dialog.size(), QSize(427, 117));
    }

    void messageDialogFaceIsBlack()
    {
        TInvFile dialog;
        const QImage face = dialog.grab().toImage();
        QCOMPARE(face.size(), QSize(388, 85));
        QCOMPARE(QColor(face.pixel(1, 1)), QColor(Qt::black));
        QCOMPARE(QColor(face.pixel(face.width() - 2, face.height() - 2)), QColor(Qt::black));
    }

    void aboutBox()
    {
        TAboutMorvane about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Morvane"));
        QCOMPARE(about.size(), QSize(427, 453));
        QVERIFY(about.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(about.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(about.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(about.Image1->pixmap().size(), artwork::kPictureSize);
        QCOMPARE(about.Image1->geometry().center().y(), about.height() / 2);
        QVERIFY(about.Image1->geometry().right() < artwork::kStripWidth);
        QCOMPARE(about.Label13->text(), QStringLiteral("Version 2.2"));
        QVERIFY(about.Label13->geometry().bottom() < about.height());
        QVERIFY(about.Label13->geometry().top() > about.Image1->geometry().bottom());

        QStringList texts;
        for (const QLabel* label : about.findChildren<QLabel*>()) {
            if (label != about.Image1 && label != about.Label13)
                texts << label->text();
        }
        QCOMPARE(texts.size(), 16);
        QCOMPARE(texts.mid(0, 4), (QStringList{"Voice editor for the Yamaha", "SY-22 and SY-35 Vector Synthesisers.",
                                               "Also works with the TG-33 module with", "minor limitations."}));

        ModalHost host;
        host.setAnswerer([&](QDialog& shown) {
            saveGrab(shown, QStringLiteral("TAboutMorvane"));
            QTest::keyClick(focusOrSelf(shown), Qt::Key_Return);
        });
        QCOMPARE(host.showModal(about), int(QDialog::Accepted));
        host.setAnswerer([](QDialog& shown) { QTest::mouseClick(static_cast<TAboutMorvane&>(shown).bOK, Qt::LeftButton); });
        QCOMPARE(host.showModal(about), int(QDialog::Accepted));
        // Its close box and Escape do end it.
        host.setAnswerer([](QDialog& shown) { QTest::keyClick(&shown, Qt::Key_Escape); });
        QCOMPARE(host.showModal(about), int(QDialog::Rejected));
        host.setAnswerer([](QDialog& shown) { shown.close(); });
        QCOMPARE(host.showModal(about), int(QDialog::Rejected));
    }

    void pictures()
    {
        QCOMPARE(artwork::stripPicture().size(), artwork::kPictureSize);
        QCOMPARE(artwork::aboutPicture().size(), artwork::kPictureSize);
        QVERIFY(artwork::stripPicture().toImage() != artwork::aboutPicture().toImage());
        QLabel strip;
        strip.setPixmap(artwork::stripPicture());
        saveGrab(strip, QStringLiteral("strip"));
    }

private:
    static void addCases()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << i;
    }
};

} // namespace morvane

QTEST_MAIN(morvane::DialogTest)
#include "DialogTest.moc"
