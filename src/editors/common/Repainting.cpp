#include "Repainting.h"

#include "EditorStyle.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOptionGroupBox>
#include <QStyleOptionSlider>

#include <algorithm>
#include <cmath>

namespace morvane {

void keptPicture(QPainter& painter, const QByteArray& key, QSize size, const std::function<void(QPainter&)>& draw)
{
    const QTransform device = painter.deviceTransform();
    // At a fractional pixel ratio (1.25x, 1.5x) a copy does not cover the
    // device pixels exactly as drawing does: such screens draw directly.
    if (device.type() > QTransform::TxScale || device.m11() != device.m22() || device.m11() <= 0
        || device.m11() != std::round(device.m11())) {
        draw(painter);
        return;
    }
    const qreal ratio = device.m11();
    // Where the origin falls between device pixels, in 64ths.
    const int phaseX = static_cast<int>(std::lround((device.dx() - std::floor(device.dx())) * 64)) % 64;
    const int phaseY = static_cast<int>(std::lround((device.dy() - std::floor(device.dy())) * 64)) % 64;
    struct Grid {
        double ratio;
        int phaseX, phaseY, width, height;
    } grid{ratio, phaseX, phaseY, size.width(), size.height()};
    static_assert(sizeof(Grid) == sizeof(double) + 4 * sizeof(int));
    const QString name = QString::fromLatin1(key + keyBytes(grid));
    const QPointF shift(phaseX / 64.0 / ratio, phaseY / 64.0 / ratio);

    QPixmap picture;
    if (!QPixmapCache::find(name, &picture)) {
        // One device pixel more each way holds the shift.
        picture = QPixmap(static_cast<int>(std::ceil(size.width() * ratio)) + 1,
                          static_cast<int>(std::ceil(size.height() * ratio)) + 1);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        QPainter onPicture(&picture);
        onPicture.translate(shift);
        draw(onPicture);
        onPicture.end();
        QPixmapCache::insert(name, picture);
    }
    painter.drawPixmap(-shift, picture);
}

void EditorGroup::paintEvent(QPaintEvent* event)
{
    if (measuredFor_ != size()) {
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        const QRect frame = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this);
        const QRect caption = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
        ground_ = frame.adjusted(3, 3, -3, -3);
        ground_.setTop(std::max(ground_.top(), caption.bottom() + 1));
        measuredFor_ = size();
    }
    const QRegion& region = event->region();
    // At a fractional pixel ratio the clip takes in device pixels only partly
    // inside the region; the whole paint keeps the frame exact there.
    const qreal ratio = devicePixelRatioF();
    if (ratio != std::round(ratio) || !std::all_of(region.begin(), region.end(), [this](const QRect& r) { return ground_.contains(r); })) {
        QGroupBox::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.fillRect(ground_, style::kGroupGround);
}

void EditorGroup::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        measuredFor_ = QSize();
    QGroupBox::changeEvent(event);
}

void TrackBar::paintEvent(QPaintEvent*)
{
    // As QSlider paints itself.
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    if (option.tickPosition != NoTicks)
        option.subControls |= QStyle::SC_SliderTickmarks;

    if (!sheets_) {
        QString sheets = qApp->styleSheet();
        for (const QWidget* w = this; w != nullptr; w = w->parentWidget())
            sheets += w->styleSheet();
        sheets_ = qHash(sheets);
    }
    struct Shown {
        char name[8];  // apart from the other pictures
        quint64 sheets;
        qint64 palette;
        int minimum, maximum, position, state, active, parts, orientation, upsideDown, ticks, interval;
    } shown;
    static_assert(sizeof(Shown) == 8 + 2 * 8 + 10 * sizeof(int));
    std::copy_n("trackbar", sizeof shown.name, shown.name);
    shown.sheets = *sheets_;
    shown.palette = palette().cacheKey();
    shown.minimum = option.minimum;
    shown.maximum = option.maximum;
    shown.position = option.sliderPosition;
    shown.state = static_cast<int>(option.state);
    shown.active = static_cast<int>(option.activeSubControls);
    shown.parts = static_cast<int>(option.subControls);
    shown.orientation = option.orientation;
    shown.upsideDown = option.upsideDown;
    shown.ticks = option.tickPosition;
    shown.interval = option.tickInterval;

    QPainter painter(this);
    keptPicture(painter, keyBytes(shown), size(),
                [&](QPainter& onPicture) { style()->drawComplexControl(QStyle::CC_Slider, &option, &onPicture, this); });
}

void TrackBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange)
        sheets_.reset();
    QSlider::changeEvent(event);
}

} // namespace morvane
