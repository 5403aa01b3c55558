#include "EditorWindow.h"

#include "NumberField.h"
#include "UpDown.h"

#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvane {

namespace {

// Black window, grey panels with lime captions, yellow labels, white boxes;
// a compact font, as the windows have fixed sizes.
constexpr const char* kEditorStyle = R"(
QWidget { font-size: 10px; }
QWidget#%1 { background-color: black; }
QGroupBox { background-color: #4a4a4a; border: 1px solid #808080; border-radius: 2px;
            margin-top: 6px; padding-top: 1px; color: lime; }
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; color: lime; }
QLabel, QCheckBox { color: yellow; font-weight: normal; }
QLineEdit, QComboBox { background-color: white; color: black; font-weight: normal; }
QComboBox QAbstractItemView { background-color: white; color: black; }
QPushButton { font-weight: normal; }
QToolTip { color: black; background-color: #ffffe1; }
)";

} // namespace

EditorWindow::EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host), helpContext_(helpContext)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    setStyleSheet(QString::fromLatin1(kEditorStyle).arg(objectName));
    setAttribute(Qt::WA_StyledBackground);
}

void EditorWindow::updateDisplay()
{
    ready_ = false;
    refreshControls();
    ready_ = true;
}

void EditorWindow::sendIfReady()
{
    if (ready_ && host_.autoSend())
        host_.sendVoice();
}

QVBoxLayout* EditorWindow::makeButtonColumn()
{
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    struct Button {
        const char* name;
        const char* caption;
        std::function<void()> action;
    };
    const Button buttons[] = {
        {"bGetVoice", "Get voice", [this] { host_.getVoice(); }},
        {"bSendVoice", "Send voice", [this] { host_.sendVoice(); }},
        {"HelpButton", "Help", [this] { host_.showHelp(helpContext_); }},
        {"bClose", "Close", [this] { hide(); }},
    };
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.action);
        column->addWidget(button);
    }
    column->addStretch();
    return column;
}

NumberField* EditorWindow::addNumberField(QLineEdit*& box, UpDown*& upDown, const char* boxName,
                                          const char* upDownName, int minimum, int maximum,
                                          std::function<int()> load, std::function<void(int)> store,
                                          const char* toolTip)
{
    box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(boxName));
    box->setToolTip(QString::fromLatin1(toolTip));
    box->setFixedWidth(34);
    upDown = new UpDown(minimum, maximum, this);
    upDown->setObjectName(QString::fromLatin1(upDownName));
    auto* field = new NumberField(*box, upDown, minimum, maximum, std::move(load), std::move(store), this);
    connect(field, &NumberField::accepted, this, &EditorWindow::sendIfReady);
    return field;
}

} // namespace morvane
