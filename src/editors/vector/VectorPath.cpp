#include "VectorPath.h"

#include "EditorWindow.h"

#include "EditorStyle.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <vector>
#include <cmath>
#include <cstring>

namespace morvane {

namespace {

// The picture's parts, in pixels.
constexpr int kMargin = 14;       // room for the element letters around the plot
constexpr int kPlotSide = 4 * kPositionMax;  // 4 pixels a position step
constexpr int kStripGap = 20;     // between the plot and the time strip
constexpr int kStripHeight = 16;
constexpr int kTextLines = 2;
constexpr int kLineHeight = 14;
constexpr int kWidth = kPlotSide + 2 * kMargin;
constexpr int kStripTop = kMargin + kPlotSide + kStripGap;
constexpr int kHeight = kStripTop + kStripHeight + 6 + kTextLines * kLineHeight;
constexpr int kPathWidth = 2;     // the pen joining the steps' points
static_assert(2 * VectorPathView::kPointRadius > kPathWidth, "a point covers the ends of the segments it joins");

double clampedPosition(int position)
{
    return std::clamp(position, 0, kPositionMax);
}

QString milliseconds(int ms)
{
    return ms < 1000 ? QStringLiteral("%1 ms").arg(ms) : QStringLiteral("%1 s").arg(ms / 1000.0, 0, 'f', 2);
}

} // namespace

std::array<bool, kVectorSteps> playedSteps(const VectorParams& vector)
{
    std::array<bool, kVectorSteps> played{};
    bool playing = true;
    for (int i = 0; i < kVectorSteps; ++i) {
        if (vector.stepTime[i] == kStepRepeat)
            playing = false;
        played[i] = playing;
        if (vector.stepTime[i] == kStepEnd)
            playing = false;
    }
    return played;
}

int stepLength(std::int32_t stepTime)
{
    if (stepTime == kStepRepeat || stepTime == kStepEnd)
        return 0;
    return std::clamp(stepTime, 0, kStepRepeat - 1) + 1;
}

QPointF pathPoint(int abPosition, int cdPosition, const QRectF& plot)
{
    // 62 is all A (left) or all C (top).
    return {plot.left() + (kPositionMax - clampedPosition(abPosition)) / kPositionMax * plot.width(),
            plot.top() + (kPositionMax - clampedPosition(cdPosition)) / kPositionMax * plot.height()};
}

StepPositions positionsAt(QPointF place, const QRectF& plot)
{
    const auto position = [](double offset, double size) {
        return kPositionMax - std::clamp(static_cast<int>(std::lround(offset / size * kPositionMax)), 0, kPositionMax);
    };
    return {position(place.x() - plot.left(), plot.width()), position(place.y() - plot.top(), plot.height())};
}

VectorPathGeometry vectorPathGeometry(const VectorParams& vector, int selectedStep, const QRectF& plot,
                                      const QRectF& timeStrip)
{
    VectorPathGeometry g;
    const std::array<bool, kVectorSteps> played = playedSteps(vector);
    for (int i = 0; i < kVectorSteps && played[i]; ++i) {
        if (i == selectedStep)
            g.selectedPoint = static_cast<int>(g.points.size());
        g.points.push_back({i, pathPoint(vector.abPosition[i], vector.cdPosition[i], plot), {}});
        g.length += stepLength(vector.stepTime[i]);
    }
    const int last = g.points.empty() ? -1 : g.points.back().step;
    if (last >= 0 && vector.stepTime[last] == kStepEnd)
        g.ending = VectorPathGeometry::Ending::End;
    else if (last + 1 < kVectorSteps && vector.stepTime[last + 1] == kStepRepeat)
        g.ending = VectorPathGeometry::Ending::Repeat;

    double x = timeStrip.left();
    for (VectorPathGeometry::Point& point : g.points) {
        const int length = stepLength(vector.stepTime[point.step]);
        const double width = g.length > 0 ? timeStrip.width() * length / g.length : 0.0;
        point.span = QRectF(x, timeStrip.top(), width, timeStrip.height());
        x += width;
    }
    return g;
}

std::optional<int> stepAt(const VectorPathGeometry& geometry, QPointF place, double radius)
{
    std::optional<int> nearest;
    double nearestDistance = 0;
    for (const VectorPathGeometry::Point& point : geometry.points) {
        const double distance = std::hypot(point.at.x() - place.x(), point.at.y() - place.y());
        if (distance <= radius && (!nearest || distance < nearestDistance)) {
            nearest = point.step;
            nearestDistance = distance;
        }
    }
    if (nearest)
        return nearest;
    for (const VectorPathGeometry::Point& point : geometry.points)
        if (!point.span.isEmpty() && point.span.contains(place))
            return point.step;
    return std::nullopt;
}

VectorPathView::VectorPathView(std::function<const VectorParams&()> vector, std::function<int()> speed,
                               std::function<int()> selectedStep, QWidget* parent)
    : QWidget(parent), vector_(std::move(vector)), speed_(std::move(speed)), selectedStep_(std::move(selectedStep))
{
    setObjectName(QStringLiteral("pbVectorPath"));
    setProperty(kEditsVoiceProperty, true);  // dragging a step moves it
    setToolTip(QStringLiteral("The path of the vector: A to B across, C to D up; click a step to choose it, drag "
                              "it to move it"));
    setFixedSize(kWidth, kHeight);
}

QRectF VectorPathView::plotArea() const
{
    return QRectF(kMargin, kMargin, kPlotSide, kPlotSide);
}

QRectF VectorPathView::timeStripArea() const
{
    return QRectF(kMargin, kStripTop, kPlotSide, kStripHeight);
}

VectorPathGeometry VectorPathView::geometry() const
{
    return vectorPathGeometry(vector_(), selectedStep_(), plotArea(), timeStripArea());
}

void VectorPathView::refresh()
{
    const VectorParams& vector = vector_();
    if (!shown_ || std::memcmp(&shown_->vector, &vector, sizeof vector) != 0 || shown_->speed != speed_()
        || shown_->selectedStep != selectedStep_())
        update();
}

void VectorPathView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF plot = plotArea();
    const QRectF strip = timeStripArea();
    const VectorPathGeometry g = geometry();
    const VectorParams& vector = vector_();
    shown_ = Shown{vector, speed_(), selectedStep_()};

    // The ground, the centre cross and the element letters.
    painter.fillRect(plot, style::kPathGround);
    painter.setPen(QPen(style::kPathGrid, 1, Qt::DotLine));
    painter.drawLine(QPointF(plot.center().x(), plot.top()), QPointF(plot.center().x(), plot.bottom()));
    painter.drawLine(QPointF(plot.left(), plot.center().y()), QPointF(plot.right(), plot.center().y()));
    painter.setPen(style::kCaption);
    const QRectF letters(0, 0, kWidth, kMargin + kPlotSide + kMargin);
    painter.drawText(letters, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("A"));
    painter.drawText(letters, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("B"));
    painter.drawText(letters, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("C"));
    painter.drawText(letters, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("D"));

    // The path, the way back to step 1 when it repeats, and its points.
    if (g.ending == VectorPathGeometry::Ending::Repeat && g.points.size() > 1) {
        painter.setPen(QPen(style::kPathMarker, 1.5, Qt::DashLine));
        painter.drawLine(g.points.back().at, g.points.front().at);
    }
    // Segment by segment: one wide antialiased polyline that crosses itself
    // fifty times costs the raster engine tens of milliseconds to stroke. The
    // segments are flat-capped, which the raster engine draws as plain lines
    // (a tenth of the time of round caps); each segment's ends lie under its
    // steps' points, so no cap shows.
    std::vector<QLineF> segments;
    for (std::size_t i = 1; i < g.points.size(); ++i)
        segments.emplace_back(g.points[i - 1].at, g.points[i].at);
    painter.setPen(QPen(style::kPathLine, kPathWidth, Qt::SolidLine, Qt::FlatCap));
    painter.drawLines(segments.data(), static_cast<int>(segments.size()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(style::kPathLine);
    for (const VectorPathGeometry::Point& point : g.points)
        painter.drawEllipse(point.at, kPointRadius, kPointRadius);
    if (!g.points.empty()) {
        // Where the vector starts, and where it stops or turns back.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(style::kPathLine, 1.5));
        painter.drawEllipse(g.points.front().at, kPointRadius + 3, kPointRadius + 3);
        const QPointF last = g.points.back().at;
        if (g.ending == VectorPathGeometry::Ending::End) {
            painter.setPen(QPen(style::kPathMarker, 2));
            painter.drawRect(QRectF(last - QPointF(6, 6), QSizeF(12, 12)));
        } else if (g.ending == VectorPathGeometry::Ending::Repeat) {
            painter.setPen(QPen(style::kPathMarker, 2));
            painter.drawEllipse(last, kPointRadius + 3, kPointRadius + 3);
        }
    }
    if (g.selectedPoint >= 0) {
        const QPointF at = g.points[g.selectedPoint].at;
        painter.setPen(QPen(style::kPathSelected, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(at, kPointRadius + 5, kPointRadius + 5);
        painter.setPen(style::kPathSelected);
        const QString number = QString::number(g.points[g.selectedPoint].step + 1);
        const bool rightHalf = at.x() > plot.center().x();
        const QRectF box(rightHalf ? at.x() - 40 : at.x() + 9, at.y() - 20, 31, 14);
        painter.drawText(box, (rightHalf ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter, number);
    }

    // The time strip: one span per played step, the selected one marked.
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(strip, style::kPathGround);
    for (std::size_t i = 0; i < g.points.size(); ++i) {
        const QRectF span = g.points[i].span;
        if (span.isEmpty())
            continue;
        const bool selected = static_cast<int>(i) == g.selectedPoint;
        painter.fillRect(span, selected ? style::kPathSelected : (i % 2 == 0 ? style::kPathLine : style::kPathLineAlt));
    }
    if (g.ending == VectorPathGeometry::Ending::End)
        painter.fillRect(QRectF(strip.right() - 1, strip.top() - 3, 3, strip.height() + 6), style::kPathMarker);
    painter.setPen(style::kLabel);
    painter.drawText(QRectF(strip.left(), strip.top() - 15, strip.width(), 14), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Time"));

    // The selected step's length and the whole vector's, in words.
    const int unit = std::clamp(speed_(), 1, 16) * 10;
    const int selected = selectedStep_();
    QString stepText;
    if (g.selectedPoint < 0)
        stepText = QStringLiteral("Step %1 is not played").arg(selected + 1);
    else if (vector.stepTime[selected] == kStepEnd)
        stepText = QStringLiteral("Step %1: the vector ends here").arg(selected + 1);
    else
        stepText = QStringLiteral("Step %1: %2 × %3 ms = %4")
                       .arg(selected + 1)
                       .arg(stepLength(vector.stepTime[selected]))
                       .arg(unit)
                       .arg(milliseconds(stepLength(vector.stepTime[selected]) * unit));
    const int played = static_cast<int>(g.points.size());
    QString wholeText = played == 0   ? QStringLiteral("No step is played")
                        : played == 1 ? QStringLiteral("Step 1 only: %1").arg(milliseconds(g.length * unit))
                                      : QStringLiteral("Steps 1-%1: %2").arg(played).arg(milliseconds(g.length * unit));
    if (played > 0 && g.ending == VectorPathGeometry::Ending::Repeat)
        wholeText += QStringLiteral(", then again from step 1");
    else if (played > 0 && g.ending == VectorPathGeometry::Ending::End)
        wholeText += QStringLiteral(", then it stays");
    const QRectF text(strip.left(), strip.bottom() + 6, strip.width() + kMargin, kLineHeight);
    painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, stepText);
    painter.drawText(text.translated(0, kLineHeight), Qt::AlignLeft | Qt::AlignVCenter, wholeText);
}

void VectorPathView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF place = event->position();
    const std::optional<int> step = stepAt(geometry(), place, kHitRadius);
    if (!step)
        return;
    if (plotArea().adjusted(-kHitRadius, -kHitRadius, kHitRadius, kHitRadius).contains(place))
        dragged_ = *step;
    emit stepClicked(*step);
}

void VectorPathView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragged_)
        return;
    const VectorParams& vector = vector_();
    const StepPositions to = positionsAt(event->position(), plotArea());
    if (to.ab != vector.abPosition[*dragged_] || to.cd != vector.cdPosition[*dragged_])
        emit stepDragged(*dragged_, to.ab, to.cd);
}

void VectorPathView::mouseReleaseEvent(QMouseEvent*)
{
    dragged_.reset();
}

} // namespace morvane
