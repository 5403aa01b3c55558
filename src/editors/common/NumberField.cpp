#include "NumberField.h"

#include "UpDown.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

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

NumberField::NumberField(QLineEdit& box, UpDown* upDown, int minimum, int maximum, Load load, Store store,
                         QObject* parent)
    : QObject(parent), box_(box), upDown_(upDown), minimum_(minimum), maximum_(maximum), load_(std::move(load)),
      store_(std::move(store))
{
    const bool signedRange = minimum < 0;
    const int width = signedRange ? 3 : static_cast<int>(QString::number(maximum).size());
    const QString pattern = signedRange ? QStringLiteral("[-+0-9]{0,%1}").arg(width)
                                        : QStringLiteral("[0-9]{0,%1}").arg(width);
    box_.setMaxLength(width);
    box_.setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), &box_));

    // textChanged is raised by the program's changes too, but only when the
    // text really changes: a refresh stores what it shows and moves the up-down.
    connect(&box_, &QLineEdit::textChanged, this, &NumberField::textChanged);
    connect(&box_, &QLineEdit::editingFinished, this, &NumberField::restoreIfEmpty);
    if (upDown_ != nullptr) {
        connect(upDown_, &UpDown::changing, this, [this](int position) {
            store_(position);
            show(position);
        });
    }
}

void NumberField::textChanged()
{
    const std::optional<int> value = parseNumber(box_.text());
    if (!value)
        return;
    const bool inRange = *value >= minimum_ && *value <= maximum_;
    if (inRange)
        store_(*value);
    const int shown = inRange ? *value : load_();
    if (upDown_ != nullptr)
        upDown_->setPosition(shown);
    emit entered();
    if (inRange)
        emit accepted();
    else
        show(shown);  // runs this handler once more with the stored value
}

void NumberField::restoreIfEmpty()
{
    if (!parseNumber(box_.text()))
        show(load_());
}

} // namespace morvane
