// The editors' colours and style sheet, in one place.
#pragma once

#include <QColor>
#include <QString>

namespace morvane::style {

inline const QColor kWindow{0, 0, 0};
inline const QColor kCaption{0, 255, 0};          // group captions, bold lime
inline const QColor kLabel{255, 255, 0};          // field labels
inline const QColor kGroupGround{74, 74, 74};     // inside a group's frame
inline const QColor kOptionBox{128, 0, 0};        // the option lists: maroon with yellow text
inline const QColor kEnvelopeGround{192, 192, 192};
inline const QColor kEnvelopePen{0, 0, 128};      // the (carrier's) envelope, 2 pixels wide
inline const QColor kModulatorPen{255, 0, 0};     // the modulator's envelope, 1 pixel wide
inline const QColor kPictogramFrame{110, 110, 110};  // the base line under each pictogram
inline const QColor kPictogramLine{255, 255, 0};
inline const QColor kPathGround{192, 192, 192};  // the vector's path picture
inline const QColor kPathGrid{128, 128, 128};
inline const QColor kPathLine{0, 0, 128};         // the path and the steps' spans on the time strip
inline const QColor kPathLineAlt{64, 96, 192};    // every other span
inline const QColor kPathSelected{255, 0, 0};     // the selected step
inline const QColor kPathMarker{128, 0, 0};       // "End" and the way back at "Repeat"

// A list marked with this property is drawn as an option list.
inline constexpr const char* kOptionProperty = "optionList";
// A label marked with this property is drawn as a heading: bold lime.
inline constexpr const char* kHeadingProperty = "heading";

// The style sheet of the editor window whose object name is given.
QString editorStyleSheet(const QString& objectName);
// The one style of the program's dialogs (questions, reports, file and
// sound-design dialogs): the editors' black ground with yellow text, lime
// group captions, white boxes with black text.
QString dialogStyleSheet();

} // namespace morvane::style
