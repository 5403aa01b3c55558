// The editors' colours and style sheet, in one place.
#pragma once

#include <QColor>
#include <QString>

namespace morvane::style {

inline const QColor kWindow{0, 0, 0};
inline const QColor kCaption{0, 255, 0};          // group captions, bold lime
inline const QColor kLabel{255, 255, 0};          // field labels
inline const QColor kOptionBox{128, 0, 0};        // the option lists: maroon with yellow text
inline const QColor kEnvelopeGround{192, 192, 192};
inline const QColor kEnvelopePen{0, 0, 128};      // the (carrier's) envelope, 2 pixels wide
inline const QColor kModulatorPen{255, 0, 0};     // the modulator's envelope, 1 pixel wide
inline const QColor kPictogramGround{128, 128, 128};
inline const QColor kPictogramFrame{48, 48, 48};
inline const QColor kPictogramLine{255, 255, 0};

// A list marked with this property is drawn as an option list.
inline constexpr const char* kOptionProperty = "optionList";

// The style sheet of the editor window whose object name is given.
QString editorStyleSheet(const QString& objectName);

} // namespace morvane::style
