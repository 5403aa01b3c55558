#include "NumberField.h"

#include "UpDown.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QWheelEvent>

namespace morvane {

void showNumber(QLineEdit& box, int value)
{
    box.setText(QString::number(value));
}

std::optional<int> parseNumber(const QString& text)
{
    int i = 0;
    while (i < text.size() && text[i] == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    int value = 0;
    int digits = 0;
    for (; i < text.size() && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9') && digits < 9; ++i, ++digits)
        value = value * 10 + (text[i].unicode() - '0');
    if (digits == 0)
        return std::nullopt;
    return negative ? -value : value;
}

NumberField::NumberField(QLineEdit& box, UpDown* upDown, FieldRef field, ShownForm form, ShownRange range,
                         QObject* parent)
    : BoundControl(field, parent), box_(box), upDown_(upDown), field_(std::move(field)), form_(form), range_(range)
{
    setRange(range);
    // textEdited is the user's typing only: the refresh writes silently.
    connect(&box_, &QLineEdit::textEdited, this, &NumberField::textEdited);
    connect(&box_, &QLineEdit::returnPressed, this, &NumberField::endEntry);
    box_.installEventFilter(this);
    if (upDown_ != nullptr) {
        connect(upDown_, &UpDown::changing, this, &NumberField::step);
        upDown_->setFocusProxy(&box_);
    }
}

void NumberField::setRange(ShownRange range)
{
    range_ = range;
    const bool signedRange = range.min < 0;
    const int width = signedRange ? 3 : static_cast<int>(QString::number(range.max).size());
    const QString pattern = signedRange ? QStringLiteral("[-+0-9]{0,%1}").arg(width)
                                        : QStringLiteral("[0-9]{0,%1}").arg(width);
    box_.setMaxLength(width);
    delete box_.validator();
    box_.setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), &box_));
    if (upDown_ != nullptr)
        upDown_->setRange(range.min, range.max);
}

void NumberField::setUpDownRange(ShownRange range)
{
    if (upDown_ != nullptr)
        upDown_->setRange(range.min, range.max);
}

QWidget* NumberField::widget() const
{
    return &box_;
}

int NumberField::shownValue() const
{
    return form_.shown(field_.get());
}

void NumberField::show(int value)
{
    if (box_.text() != QString::number(value))
        showNumber(box_, value);
    if (upDown_ != nullptr)
        upDown_->setPosition(value);
}

void NumberField::refresh()
{
    entryStart_.reset();
    show(shownValue());
}

void NumberField::textEdited()
{
    if (!entryStart_)
        entryStart_ = field_.get();
    emit keyTyped();
    const std::optional<int> value = parseNumber(box_.text());
    if (!value)
        return;
    if (*value >= range_.min && *value <= range_.max) {
        field_.set(form_.stored(*value));
        if (upDown_ != nullptr)
            upDown_->setPosition(*value);
        emit entered();
        emit changed();
        return;
    }
    // The entry ended out of range: back to the value it began with.
    const bool restored = field_.get() != *entryStart_;
    field_.set(*entryStart_);
    show(shownValue());
    emit entered();
    if (restored)
        emit changed();
}

void NumberField::step(int position)
{
    entryStart_.reset();
    field_.set(form_.stored(position));
    emit stepped();
    show(position);
    emit entered();
    emit changed();
}

void NumberField::moveTo(double fraction)
{
    const int position = positionAt(fraction, range_.min, range_.max);
    if (position != form_.shown(field_.get()))
        step(position);
}

void NumberField::endEntry()
{
    entryStart_.reset();
    show(shownValue());
}

bool NumberField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &box_)
        return false;
    switch (event->type()) {
    case QEvent::FocusOut:
        endEntry();
        break;
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        if (upDown_ != nullptr && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
            && key->modifiers() == Qt::NoModifier) {
            upDown_->setPosition(parseNumber(box_.text()).value_or(shownValue()));
            key->key() == Qt::Key_Up ? upDown_->stepUp() : upDown_->stepDown();
            return true;
        }
        break;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (upDown_ != nullptr && box_.isEnabled() && wheel->angleDelta().y() != 0) {
            wheel->angleDelta().y() > 0 ? upDown_->stepUp() : upDown_->stepDown();
            return true;
        }
        break;
    }
    default:
        break;
    }
    return false;
}

} // namespace morvane
