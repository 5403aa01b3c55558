#include "Artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace morvane::artwork {

namespace {

// Drawn into an image, so that any thread may draw it.
QImage blankPicture(const QColor& top, const QColor& bottom)
{
    QImage picture(kPictureSize, QImage::Format_RGB32);
    QPainter p(&picture);
    QLinearGradient fill(0, 0, 0, kPictureSize.height());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    p.fillRect(picture.rect(), fill);
    p.setPen(QColor(70, 70, 90));
    p.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    p.end();
    return picture;
}

QFont boldFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    return font;
}

// The four elements at the corners of a diamond, A at the top, with the path
// a level vector takes between them.
void drawVectorSquare(QPainter& p, QPointF centre, qreal radius)
{
    const QPointF top = centre + QPointF(0, -radius);
    const QPointF right = centre + QPointF(radius, 0);
    const QPointF bottom = centre + QPointF(0, radius);
    const QPointF left = centre + QPointF(-radius, 0);

    p.setPen(QPen(QColor(60, 90, 150), 1));
    p.setBrush(QColor(20, 30, 60));
    p.drawPolygon(QPolygonF{top, right, bottom, left});
    p.setPen(QPen(QColor(50, 70, 120), 1, Qt::DotLine));
    p.drawLine(top, bottom);
    p.drawLine(left, right);

    QPainterPath path(centre + QPointF(-radius * 0.55, -radius * 0.1));
    path.cubicTo(centre + QPointF(-radius * 0.2, -radius * 0.9), centre + QPointF(radius * 0.6, -radius * 0.4),
                 centre + QPointF(radius * 0.2, radius * 0.05));
    path.cubicTo(centre + QPointF(-radius * 0.1, radius * 0.4), centre + QPointF(radius * 0.3, radius * 0.7),
                 centre + QPointF(radius * 0.5, radius * 0.3));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::yellow, 1.6));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 150, 0));
    for (int step = 0; step <= 8; ++step)
        p.drawEllipse(path.pointAtPercent(step / 8.0), 1.8, 1.8);
    p.setBrush(Qt::red);
    p.drawEllipse(path.pointAtPercent(1.0), 2.8, 2.8);

    p.setFont(boldFont(10));
    p.setPen(Qt::cyan);
    const QSizeF box(12, 12);
    p.drawText(QRectF(top + QPointF(-6, -13), box), Qt::AlignCenter, QStringLiteral("A"));
    p.drawText(QRectF(right + QPointF(1, -6), box), Qt::AlignCenter, QStringLiteral("B"));
    p.drawText(QRectF(bottom + QPointF(-6, 1), box), Qt::AlignCenter, QStringLiteral("C"));
    p.drawText(QRectF(left + QPointF(-13, -6), box), Qt::AlignCenter, QStringLiteral("D"));
}

// One wave across the picture; shape maps a phase in turns to -1..1.
template <typename Shape>
void drawWave(QPainter& p, QRectF band, QColor colour, qreal turns, Shape shape)
{
    QPainterPath path;
    const int steps = static_cast<int>(band.width()) * 2;
    for (int i = 0; i <= steps; ++i) {
        const qreal x = band.left() + band.width() * i / steps;
        const qreal y = band.center().y() - band.height() / 2 * shape(turns * i / steps);
        if (i == 0)
            path.moveTo(x, y);
        else
            path.lineTo(x, y);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, 1.4));
    p.drawPath(path);
}

void drawName(QPainter& p, QRectF area)
{
    p.save();
    p.translate(area.center());
    p.rotate(-90);
    const QRectF text(-area.height() / 2, -area.width() / 2, area.height(), area.width());
    QLinearGradient fill(text.topLeft(), text.topRight());
    fill.setColorAt(0, QColor(255, 120, 0));
    fill.setColorAt(1, Qt::yellow);
    const QString name = QStringLiteral("MORVANE");
    // The largest size from 24 down to 8 that fits. Each size tried loads a
    // font of its own, which is slow at start-up: the first guess scales the
    // width at 24, and only the sizes next to it are tried.
    const qreal room = text.width() - 6;
    const auto fits = [&](int size) { return QFontMetricsF(boldFont(size)).horizontalAdvance(name) <= room; };
    const qreal widthAt24 = QFontMetricsF(boldFont(24)).horizontalAdvance(name);
    int size = widthAt24 <= room ? 24 : std::clamp(static_cast<int>(24 * room / widthAt24), 8, 24);
    while (size < 24 && fits(size + 1))
        ++size;
    while (size > 8 && !fits(size))
        --size;
    p.setFont(boldFont(size));
    p.setPen(QPen(QBrush(fill), 1));
    p.drawText(text, Qt::AlignCenter, name);
    p.restore();
}

void drawEnvelope(QPainter& p, QRectF area)
{
    p.setPen(QPen(QColor(60, 40, 80), 1));
    for (int i = 0; i <= 4; ++i) {
        const qreal y = area.top() + area.height() * i / 4;
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    const qreal w = area.width();
    const qreal h = area.height();
    const QPolygonF points{
        area.bottomLeft(),
        area.topLeft() + QPointF(w * 0.15, h * 0.05),
        area.topLeft() + QPointF(w * 0.35, h * 0.35),
        area.topLeft() + QPointF(w * 0.65, h * 0.5),
        area.topLeft() + QPointF(w * 0.8, h * 0.5),
        area.bottomRight(),
    };
    QPainterPath fill;
    fill.addPolygon(points);
    fill.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 255, 0, 50));
    p.drawPath(fill);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::green, 1.6));
    p.drawPolyline(points);
    p.setBrush(Qt::green);
    p.setPen(Qt::NoPen);
    for (int i = 1; i + 1 < points.size(); ++i)
        p.drawEllipse(points[i], 2, 2);
}

void drawMonogram(QPainter& p, QPointF centre)
{
    QRadialGradient glow(centre, 38);
    glow.setColorAt(0, QColor(120, 40, 160, 160));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, 38, 38);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 200, 0), 1.5));
    p.drawEllipse(centre, 30, 30);
    p.setPen(QPen(QColor(255, 120, 0), 1));
    p.drawEllipse(centre, 34, 34);
    p.setFont(boldFont(36));
    p.setPen(Qt::yellow);
    p.drawText(QRectF(centre.x() - 30, centre.y() - 30, 60, 60), Qt::AlignCenter, QStringLiteral("M"));
}

void drawKeys(QPainter& p, QRectF area)
{
    constexpr int kWhiteKeys = 6;
    const qreal keyWidth = area.width() / kWhiteKeys;
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(QColor(235, 235, 225));
    for (int i = 0; i < kWhiteKeys; ++i)
        p.drawRect(QRectF(area.left() + i * keyWidth, area.top(), keyWidth, area.height()));
    // Black keys after the first, second, fourth and fifth white key.
    constexpr bool kBlackAfter[kWhiteKeys - 1] = {true, true, false, true, true};
    p.setBrush(QColor(20, 20, 20));
    for (int i = 0; i < kWhiteKeys - 1; ++i) {
        if (kBlackAfter[i])
            p.drawRect(QRectF(area.left() + (i + 1) * keyWidth - keyWidth * 0.3, area.top(), keyWidth * 0.6,
                              area.height() * 0.6));
    }
}

} // namespace

QImage programIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(30, 30, 60));
    tile.setColorAt(1, Qt::black);
    p.setPen(QPen(QColor(90, 110, 160), 2));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);

    const QPointF centre(32, 32);
    const qreal radius = 24;
    p.setPen(QPen(QColor(90, 130, 210), 2.5));
    p.setBrush(QColor(20, 40, 90));
    p.drawPolygon(QPolygonF{centre + QPointF(0, -radius), centre + QPointF(radius, 0), centre + QPointF(0, radius),
                            centre + QPointF(-radius, 0)});
    QPainterPath path(centre + QPointF(-14, 4));
    path.cubicTo(centre + QPointF(-8, -20), centre + QPointF(6, 20), centre + QPointF(13, -5));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::yellow, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::red);
    p.drawEllipse(path.pointAtPercent(1.0), 5, 5);
    return icon;
}

namespace {

// Drawn into an image, so that any thread may draw it.
QImage stripImage()
{
    QImage picture = blankPicture(QColor(16, 24, 56), Qt::black);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawVectorSquare(p, QPointF(44.5, 56), 28);
    drawName(p, QRectF(14, 98, 62, 124));
    drawWave(p, QRectF(8, 226, 73, 16), Qt::cyan, 2.0,
             [](qreal t) { return std::sin(2 * std::numbers::pi * t); });
    // Two operators: a carrier whose phase a second sine bends.
    drawWave(p, QRectF(8, 248, 73, 16), Qt::green, 2.0, [](qreal t) {
        const qreal phase = 2 * std::numbers::pi * t;
        return std::sin(phase + 1.6 * std::sin(3 * phase));
    });
    p.end();
    return picture;
}

} // namespace

QPixmap stripPicture()
{
    return QPixmap::fromImage(stripImage());
}

StartPictures drawStartPictures()
{
    StartPictures pictures;
    pictures.strip = stripImage();
    for (std::size_t i = 0; i < pictures.icons.size(); ++i)
        pictures.icons[i] = programIcon(kIconSizes[i]);
    return pictures;
}

QPixmap aboutPicture()
{
    QImage picture = blankPicture(QColor(30, 10, 44), Qt::black);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    drawEnvelope(p, QRectF(8, 12, 73, 60));
    drawMonogram(p, QPointF(44.5, 136));
    p.setRenderHint(QPainter::Antialiasing, false);
    drawKeys(p, QRectF(4, 208, 81, 58));
    p.end();
    return QPixmap::fromImage(picture);
}

QIcon buttonIcon(Glyph glyph)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Ok:
    case Glyph::Yes: {
        const QPolygonF tick{QPointF(2.5, 8.5), QPointF(6.5, 12.5), QPointF(13.5, 3.5)};
        p.setPen(QPen(QColor(0, 90, 0), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(tick);
        p.setPen(QPen(QColor(40, 200, 40), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(tick);
        break;
    }
    case Glyph::No:
        p.setPen(QPen(QColor(210, 0, 0), 2.2));
        p.drawEllipse(QPointF(8, 8), 5.8, 5.8);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        break;
    }
    return QIcon(pixmap);
}

QPixmap autoSendPicture(bool on)
{
    QPixmap pixmap(28, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    // A MIDI plug on the left, an arrow towards the instrument.
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(200, 200, 200));
    p.drawEllipse(QPointF(7, 9), 6, 6);
    p.setBrush(QColor(40, 40, 40));
    for (const QPointF& pin : {QPointF(4.5, 8), QPointF(7, 6), QPointF(9.5, 8), QPointF(5.5, 11), QPointF(8.5, 11)})
        p.drawEllipse(pin, 0.9, 0.9);
    const QColor arrow = on ? QColor(30, 170, 30) : QColor(150, 150, 150);
    p.setPen(QPen(arrow, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(15, 9), QPointF(25, 9));
    p.drawPolyline(QPolygonF{QPointF(21, 5), QPointF(25, 9), QPointF(21, 13)});
    if (!on) {
        p.setPen(QPen(QColor(210, 0, 0), 2.2));
        p.drawLine(QPointF(16, 3), QPointF(25, 15));
    }
    return pixmap;
}

QLabel* makeVersionLabel(QWidget* parent)
{
    auto* label = new QLabel(QString::fromLatin1(kVersionText), parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::darkCyan);  // teal
    label->setPalette(palette);
    return label;
}

} // namespace morvane::artwork
