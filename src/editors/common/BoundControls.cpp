#include "BoundControls.h"

#include <QAbstractSlider>
#include <QCheckBox>
#include <QComboBox>

#include <algorithm>
#include <cmath>

namespace morvane {

BoundCheck::BoundCheck(QCheckBox& box, FieldRef field, QObject* parent)
    : BoundControl(field, parent), box_(box), field_(std::move(field))
{
    // clicked is the user's change only: the refresh checks silently.
    connect(&box_, &QCheckBox::clicked, this, [this](bool checked) {
        field_.set(checked ? 1 : 0);
        emit entered();
        emit changed();
    });
}

void BoundCheck::moveTo(double fraction)
{
    const bool checked = fraction >= 0.5;
    if (checked == box_.isChecked() && (field_.get() != 0) == checked)
        return;
    box_.setChecked(checked);
    field_.set(checked ? 1 : 0);
    emit entered();
    emit changed();
}

void BoundCheck::refresh()
{
    box_.setChecked(field_.get() != 0);
}

QWidget* BoundCheck::widget() const
{
    return &box_;
}

BoundList::BoundList(QComboBox& box, FieldRef field, ShownForm form, QObject* parent)
    : BoundControl(field, parent), box_(box), field_(std::move(field)), form_(form)
{
    // activated is the user's choice only: the refresh selects silently.
    connect(&box_, &QComboBox::activated, this, [this](int index) {
        field_.set(form_.stored(index));
        emit entered();
        emit changed();
    });
}

void BoundList::moveTo(double fraction)
{
    if (box_.count() == 0)
        return;
    const int index = positionAt(fraction, 0, box_.count() - 1);
    if (index == box_.currentIndex())
        return;
    box_.setCurrentIndex(index);
    field_.set(form_.stored(index));
    emit entered();
    emit changed();
}

void BoundList::refresh()
{
    const int index = form_.shown(field_.get());
    box_.setCurrentIndex(index >= 0 && index < box_.count() ? index : -1);
}

QWidget* BoundList::widget() const
{
    return &box_;
}

BoundSlider::BoundSlider(QAbstractSlider& slider, FieldRef field, ShownForm form, ShownRange range, QObject* parent)
    : BoundControl(field, parent), slider_(slider), field_(std::move(field)), form_(form)
{
    slider_.setRange(range.min, range.max);
    connect(&slider_, &QAbstractSlider::valueChanged, this, [this](int position) {
        if (refreshing_)
            return;
        field_.set(form_.stored(position));
        emit entered();
        emit changed();
    });
}

void BoundSlider::refresh()
{
    // The bar clamps a value outside its range to its nearer end; the field
    // keeps what it holds.
    refreshing_ = true;
    slider_.setValue(form_.shown(field_.get()));
    refreshing_ = false;
}

QWidget* BoundSlider::widget() const
{
    return &slider_;
}

void BoundSlider::moveTo(double fraction)
{
    // A new position stores through valueChanged, as a drag does.
    slider_.setValue(positionAt(fraction, slider_.minimum(), slider_.maximum()));
}

int positionAt(double fraction, int min, int max)
{
    return min + static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * (max - min)));
}

} // namespace morvane
