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
QGroupBox { background-color: %8; border: 1px solid #808080; border-radius: 2px;
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
QScrollBar { background-color: #202020; border: 1px solid #909090; }
QScrollBar:vertical { width: 15px; margin: 14px 0 14px 0; }
QScrollBar:horizontal { height: 15px; margin: 0 14px 0 14px; }
QScrollBar::handle { background-color: %4; border: 1px solid black; border-radius: 2px; }
QScrollBar::handle:vertical { min-height: 14px; }
QScrollBar::handle:horizontal { min-width: 14px; }
QScrollBar::add-page, QScrollBar::sub-page { background: none; }
QScrollBar::add-line, QScrollBar::sub-line { background-color: #909090; border: 1px solid #404040; }
QScrollBar::add-line:vertical { height: 13px; subcontrol-position: bottom; subcontrol-origin: margin; }
QScrollBar::sub-line:vertical { height: 13px; subcontrol-position: top; subcontrol-origin: margin; }
QScrollBar::add-line:horizontal { width: 13px; subcontrol-position: right; subcontrol-origin: margin; }
QScrollBar::sub-line:horizontal { width: 13px; subcontrol-position: left; subcontrol-origin: margin; }
QScrollBar::up-arrow, QScrollBar::down-arrow, QScrollBar::left-arrow, QScrollBar::right-arrow
    { width: 5px; height: 5px; background-color: black; }
QSlider::groove:horizontal { height: 4px; background-color: #202020; border: 1px solid #909090; }
QSlider::groove:vertical { width: 4px; background-color: #202020; border: 1px solid #909090; }
QSlider::handle { background-color: %4; border: 1px solid black; border-radius: 2px; }
QSlider::handle:horizontal { width: 9px; margin: -6px 0; }
QSlider::handle:vertical { height: 9px; margin: 0 -6px; }
)")
        .arg(objectName, kWindow.name(), kCaption.name(), kLabel.name(), QLatin1String(kOptionProperty),
             kOptionBox.name(), QLatin1String(kHeadingProperty), kGroupGround.name());
}

QString dialogStyleSheet()
{
    return QStringLiteral(R"(
QDialog { background-color: %1; }
QDialog QLabel, QDialog QCheckBox, QDialog QRadioButton { color: %3; }
QDialog QGroupBox { background-color: #4a4a4a; border: 1px solid #808080; border-radius: 2px;
                    margin-top: 1.2em; padding-top: 2px; color: %2; font-weight: bold; }
QDialog QGroupBox::title { subcontrol-origin: margin; left: 6px; padding: 0 2px; color: %2; }
QDialog QLineEdit, QDialog QAbstractSpinBox, QDialog QComboBox, QDialog QAbstractItemView, QDialog QTextEdit
    { background-color: white; color: black; }
QDialog QHeaderView::section { background-color: #c0c0c0; color: black; border: 1px solid #808080; padding: 1px 3px; }
QDialog QSlider::groove:horizontal { height: 4px; background-color: #202020; border: 1px solid #909090; }
QDialog QSlider::handle:horizontal { width: 9px; margin: -6px 0; background-color: %3; border: 1px solid black;
                                     border-radius: 2px; }
QToolTip { color: black; background-color: #ffffe1; }
)")
        .arg(kWindow.name(), kCaption.name(), kLabel.name());
}

} // namespace morvane::style
