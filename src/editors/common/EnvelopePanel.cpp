#include "EnvelopePanel.h"

#include "EditorStyle.h"

#include <QPainter>

#include <algorithm>

namespace morvane {

EnvelopeCorners envelopeCorners(const EnvelopeParams& e, const EnvelopeOffsets& offsets, int levelTop)
{
    const int x0 = e.delayOn == 1 ? 1 + (127 - offsets.envDelay) : 1;
    const int attack = std::clamp(e.attackRate + offsets.attack, 0, 63);
    const int release = std::clamp(e.releaseRate + offsets.release, 0, 63);
    const int x1 = x0 + (63 - attack);
    const int x2 = x1 + (63 - e.decay1Rate);
    const int x3 = x2 + (63 - e.decay2Rate);
    const int x4 = x3 + (63 - release);
    const auto y = [levelTop](int stored) { return stored + levelTop; };
    return {QPoint(1, y(e.initialLevel)), QPoint(x0, y(e.initialLevel)), QPoint(x1, y(e.attackLevel)),
            QPoint(x2, y(e.decay1Level)),  QPoint(x3, y(e.decay2Level)),  QPoint(x4, y(127))};
}

EnvelopePanel::EnvelopePanel(QSize size, int levelTop, std::function<const VoiceCommonParams&()> common,
                             QWidget* parent)
    : QWidget(parent), levelTop_(levelTop), common_(std::move(common))
{
    setObjectName(QStringLiteral("envWindow"));
    setToolTip(QStringLiteral("Visual representation of the envelope"));
    setFixedSize(size);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void EnvelopePanel::addTrace(Trace trace)
{
    traces_.push_back(std::move(trace));
    update();
}

std::vector<EnvelopeCorners> EnvelopePanel::corners() const
{
    const VoiceCommonParams& c = common_();
    std::vector<EnvelopeCorners> result;
    for (const Trace& trace : traces_) {
        const EnvelopeOffsets offsets{c.envDelay, trace.withOffsets ? c.attack : 0, trace.withOffsets ? c.release : 0};
        result.push_back(envelopeCorners(trace.envelope(), offsets, levelTop_));
    }
    return result;
}

void EnvelopePanel::refresh()
{
    if (corners() != shown_)
        update();
}

void EnvelopePanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), style::kEnvelopeGround);
    shown_ = corners();
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        painter.setPen(QPen(traces_[i].colour, traces_[i].width));
        painter.drawPolyline(shown_[i].data(), static_cast<int>(shown_[i].size()));
    }
}

} // namespace morvane
