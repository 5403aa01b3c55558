// Every window and dialog of the program, made by the start-up sequence and
// grabbed into the test's output folder, under the scaling and font the
// test is run with (QT_SCALE_FACTOR, QT_FONT_DPI; CTest runs it at several).
// Besides the pictures, which are for looking at, it checks that no caption
// is given less room than its text needs.
#include "AppServices.h"
#include "EditorWindow.h"
#include "MessageDialogs.h"
#include "TSelectVoiceType.h"
#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "LibraryBrowser.h"
#include "ModalHost.h"
#include "MorvaneApplication.h"
#include "ProgramUnderTest.h"
#include "TMainForm.h"
#include "TSetDevices.h"
#include "VoiceData.h"
#include "VoiceLibrary.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>

namespace morvane {

namespace {

QString pictureFolder()
{
    const QString set = qEnvironmentVariable("MORVANE_PICTURE_SET", QStringLiteral("default"));
    const QString folder = QStringLiteral(MORVANE_GRAB_DIR "/") + set;
    QDir().mkpath(folder);
    return folder;
}

// The captions in `window` whose widgets are narrower or lower than their
// text (with a check box's or a radio button's indicator; a push button's
// text with a few pixels either side): "window/control: text".
QStringList cutCaptions(QWidget& window)
{
    QStringList cut;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(&window) || widget->window() != &window)
            continue;
        QString text;
        int room = 0;
        int extra = 0;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->wordWrap() || label->text().isEmpty() || !label->pixmap().isNull()
                || label->textFormat() == Qt::RichText || Qt::mightBeRichText(label->text()))
                continue;
            text = label->text();
            room = label->contentsRect().width() - 2 * label->margin() - label->indent() * (label->indent() > 0);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->text().isEmpty())
                continue;
            text = button->text();
            room = button->width();
            const bool indicator = qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr;
            extra = indicator ? button->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, button)
                                    + button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, button)
                              : (qobject_cast<QPushButton*>(button) != nullptr ? 6 : 0);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (group->title().isEmpty())
                continue;
            text = group->title();
            room = group->width();
            extra = 12;  // the title's place from the left edge and its padding
            QFont bold = group->font();
            bold.setBold(true);
            if (QFontMetrics(bold).horizontalAdvance(text.trimmed()) + extra > room)
                cut << QStringLiteral("%1/%2 \"%3\": %4 wide").arg(window.objectName(), group->objectName(), text).arg(room);
            continue;
        } else {
            continue;
        }
        QString shown = text.trimmed();
        shown.remove(QRegularExpression(QStringLiteral("&(?!&)")));
        const QFontMetrics metrics = widget->fontMetrics();
        const int needed = metrics.horizontalAdvance(shown) + extra;
        if (room < needed || widget->height() + 1 < metrics.height())
            cut << QStringLiteral("%1/%2 \"%3\": %4x%5, needs %6x%7")
                       .arg(window.objectName(), widget->objectName(), text)
                       .arg(room)
                       .arg(widget->height())
                       .arg(needed)
                       .arg(metrics.height());
    }
    return cut;
}

} // namespace

class WindowPicturesTest : public QObject {
    Q_OBJECT

private slots:
    void everyWindowAndDialog()
    {
        QVERIFY(dir.isValid());
        {
            VoiceParameters voice;
            VoiceData data(voice);
            VoiceLibrary library(dir.filePath("SOUNDS.SYL").toStdString());
            const char* names[] = {"Brass 1 ", "SoftPad ", "Bells   ", "Strings2"};
            for (const char* name : names) {
                std::memcpy(voice.common.name, name, 8);
                QVERIFY(library.appendRecord(0x0021, data).ok());
            }
        }
        ModalHost modal;
        InProcessMidiBackend* midi = nullptr;
        auto shell = test::startProgram(modal, dir, dir.filePath("store.ini"), "0", midi);
        const AppContext& context = shell->context();
        QStringList cut;
        auto picture = [&](QWidget& window, const QString& name) {
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.grab().save(pictureFolder() + QLatin1Char('/') + name + QStringLiteral(".png")));
            cut << cutCaptions(window);
        };

        context.MainForm->show();
        context.MainForm->addNotice(QStringLiteral("No voice came from the instrument: the first library voice is "
                                                   "shown, not sent."));
        context.MainForm->showSendResult("The MIDI output went away while the voice was sent");
        picture(*context.MainForm, QStringLiteral("main-window"));
        for (const AppServices::Editor& editor : context.services->editors()) {
            editor.window->show();
            picture(*editor.window, editor.window->objectName());
            editor.window->hide();
        }
        context.MainForm->findChild<QAction*>("Multi1")->trigger();
        auto* multi = context.MainForm->findChild<QWidget*>("MultiEdit");
        QVERIFY(multi != nullptr);
        picture(*multi, multi->objectName());
        multi->hide();
        // The sound-design windows: the morph pad and a round of Explore.
        for (const auto& [action, name] : {std::pair{"MorphPad1", "MorphPad"}, std::pair{"Explore1", "Explore"}}) {
            context.MainForm->findChild<QAction*>(action)->trigger();
            QWidget* window = context.MainForm->findChild<QWidget*>(name);
            QVERIFY(window != nullptr);
            if (auto* start = window->findChild<QPushButton*>("bStart"))
                start->click();
            picture(*window, QString::fromLatin1(name));
            window->hide();
        }

        // The dialogs, each grabbed while it is shown and then closed.
        modal.setAnswerer([&](QDialog& dialog) {
            picture(dialog, dialog.objectName().isEmpty() ? dialog.windowTitle() : dialog.objectName());
            dialog.reject();
        });
        for (const char* action :
             {"SelectMIDIdevices1", "About2", "Randomise1", "Blend1", "TestNoteOptions1", "Controllers1", "Open1", "Save1"})
            context.MainForm->findChild<QAction*>(action)->trigger();
        for (QDialog* dialog : std::initializer_list<QDialog*>{context.InvFile, context.SaveErrDlg,
                                                                context.OverwriteDlg, context.noMIDIData,
                                                                context.DataReceivedForm, context.MIDIOpenError,
                                                                context.SelectVoiceType})
            modal.showModal(*dialog);
        QMessageBox question(QMessageBox::Question, QStringLiteral("Delete voices"),
                             QStringLiteral("Delete the voice \"Brass 1\" from the library?"),
                             QMessageBox::Yes | QMessageBox::No, context.MainForm);
        question.setObjectName(QStringLiteral("LibraryQuestion"));
        context.services->showModal(question);
        // The import table, with a voice file's voice.
        {
            VoiceParameters voice{};
            VoiceData data(voice);
            std::memcpy(voice.common.name, "Imported", 8);
            const VoiceDump dump = data.encodeDump();
            QFile file(dir.filePath("import.syx"));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(reinterpret_cast<const char*>(dump.data()), qint64(dump.size()));
        }
        context.MainForm->browser().importFiles({dir.filePath("import.syx")});
        shell->shutDown();

        if (!cut.isEmpty())
            qWarning().noquote() << "captions with less room than their text:\n" << cut.join(QLatin1Char('\n'));
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

private:
    QTemporaryDir dir;
};

} // namespace morvane

int main(int argc, char** argv)
{
    morvane::MorvaneApplication app(argc, argv);
    morvane::WindowPicturesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowPicturesTest.moc"
