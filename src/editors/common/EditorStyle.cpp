#include "EditorStyle.h"

namespace morvane::style {

QString editorStyleSheet(const QString& objectName)
{
    // Black window, grey panels with bold lime captions, yellow labels,
    // white boxes with black bold text; a compact font, as the windows have
    // fixed sizes.
    return QStringLiteral(R"(
QWidget { font-size: 10px; }
QWidget#%1 { background-color: %2; }
QGroupBox { background-color: #4a4a4a; border: 1px solid #808080; border-radius: 2px;
            margin-top: 6px; padding-top: 1px; color: %3; font-weight: bold; }
QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; color: %3; }
QLabel, QCheckBox { color: %4; font-weight: normal; }
QCheckBox { spacing: 3px; }
QLabel[%7="true"] { color: %3; font-weight: bold; }
QLineEdit { background-color: white; color: black; font-weight: bold; }
QComboBox { background-color: white; color: black; font-weight: normal; }
QComboBox[%5="true"] { background-color: %6; color: %4; }
QComboBox QAbstractItemView { background-color: white; color: black; }
QPushButton { font-weight: bold; color: black; }
QToolTip { color: black; background-color: #ffffe1; font-weight: normal; }
)")
        .arg(objectName, kWindow.name(), kCaption.name(), kLabel.name(), QLatin1String(kOptionProperty),
             kOptionBox.name(), QLatin1String(kHeadingProperty));
}

} // namespace morvane::style
