#include "UpDown.h"

#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace morvane {

UpDown::UpDown(int minimum, int maximum, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(std::clamp(0, minimum, maximum)),
      up_(new QToolButton(this)), down_(new QToolButton(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFixedSize(16, 11);
        button->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(button);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    // clicked() repeats while an arrow is held down.
    connect(up_, &QToolButton::clicked, this, [this] { stepUp(); });
    connect(down_, &QToolButton::clicked, this, [this] { stepDown(); });
    setFixedSize(16, 22);
}

void UpDown::setPosition(int position)
{
    position_ = std::clamp(position, minimum_, maximum_);
}

void UpDown::setRange(int minimum, int maximum)
{
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = std::clamp(position_, minimum_, maximum_);
}

void UpDown::wheelEvent(QWheelEvent* event)
{
    if (event->angleDelta().y() != 0 && isEnabled())
        step(event->angleDelta().y() > 0 ? +1 : -1);
    event->accept();
}

void UpDown::step(int delta)
{
    const int next = std::clamp(position_ + delta, minimum_, maximum_);
    if (next == position_)
        return;
    position_ = next;
    emit changing(position_);
}

} // namespace morvane
