// The program's own pictures, drawn rather than stored, shared by the main
// window, the device dialog, the about box and the message dialogs.
#pragma once

#include "Version.h"

#include <array>
#include <iterator>
#include <string_view>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>

class QLabel;
class QWidget;

namespace morvane::artwork {

// Every picture of the left strip has this size.
inline constexpr QSize kPictureSize{89, 275};
inline constexpr int kStripWidth = 89;

inline constexpr const char* kVersionText = "Version 2.2";
static_assert(std::string_view(kVersionText).substr(8) == std::string_view(kVersionNumber));

// The picture of the main window's strip (the device dialog shows it too):
// the vector square with a level-vector path, the name, two waveforms.
QPixmap stripPicture();

// The about box's own picture: an envelope, the monogram, a few keys.
QPixmap aboutPicture();

// The small picture beside a button's caption.
enum class Glyph { Ok, Yes, No };
QIcon buttonIcon(Glyph glyph);

// The pictures of the two auto-send buttons: a dump leaving for the
// instrument, and the same held back.
QPixmap autoSendPicture(bool on);

// The program's icon, square, `size` pixels wide: the vector square with a
// level-vector path on a dark tile. No text, so it needs no fonts and reads
// at 16 pixels as well as at 256.
QImage programIcon(int size);
inline constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// What start-up shows first: the strip picture and the program's icon in
// every size. Any thread may draw them, so start-up draws them (the first
// text drawn loads fonts, which is slow) while it makes the objects before
// the main window.
struct StartPictures {
    QImage strip;
    std::array<QImage, std::size(kIconSizes)> icons;
};
StartPictures drawStartPictures();

// "Version 2.2" in teal bold, centred, for the foot of a picture strip.
QLabel* makeVersionLabel(QWidget* parent);

} // namespace morvane::artwork
