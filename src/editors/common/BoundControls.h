// Controls bound to one field of the voice each.
//
// Every bound control follows the same rules:
// - refresh() shows the stored value and never writes the voice. A stored
//   value outside the control's range (a foreign or damaged dump) is shown
//   at the nearest end of a bar, as no selection in a list, or as its number
//   in an edit box, and stays as it is until the user changes the control.
// - Only the user's changes store: a list reacts to `activated`, a check box
//   to `clicked`, a bar to its value changing while not being refreshed.
// - After a user change is stored the control emits entered() (the window's
//   follow-ups: peak point, drawing, envelope type), then changed(), on
//   which the window sends the voice by its ready-flag rule.
#pragma once

#include "FieldRef.h"

#include <QObject>
#include <QStringList>

#include <functional>

class QAbstractSlider;
class QCheckBox;
class QComboBox;

namespace morvane {

class BoundControl : public QObject {
    Q_OBJECT
public:
    BoundControl(const FieldRef& field, QObject* parent)
        : QObject(parent), path_(field.path()), words_(field.words()), now_([field] { return field.currentPath(); })
    {
    }
    virtual void refresh() = 0;
    virtual QWidget* widget() const = 0;
    // Moves the control as the user would, to `fraction` (0-1) of its
    // range: a hardware knob. A change stores, follows up and sends as any.
    virtual void moveTo(double fraction) = 0;
    // The field the control edits now, which may be another than the one it
    // was made for (the window switched element).
    std::string currentPath() const { return now_(); }
    // The bound field's place, as "elementA.envelope.attackRate".
    const std::string& path() const { return path_; }
    // The field's name as a user reads it, the name of the undo step a
    // change makes: "Attack rate".
    const std::string& words() const { return words_; }

signals:
    void entered();
    void changed();

private:
    std::string path_;
    std::string words_;
    std::function<std::string()> now_;
};

// The place `fraction` (0-1, kept within) reaches along min-max, rounded.
int positionAt(double fraction, int min, int max);

// A check box: checked while the field is not zero; stores 1 or 0.
class BoundCheck : public BoundControl {
    Q_OBJECT
public:
    BoundCheck(QCheckBox& box, FieldRef field, QObject* parent);
    void refresh() override;
    QWidget* widget() const override;
    void moveTo(double fraction) override;
    QCheckBox& box() const { return box_; }

private:
    QCheckBox& box_;
    FieldRef field_;
};

// A drop-down list whose item index is the field's shown form.
class BoundList : public BoundControl {
    Q_OBJECT
public:
    BoundList(QComboBox& box, FieldRef field, ShownForm form, QObject* parent);
    void refresh() override;
    QWidget* widget() const override;
    void moveTo(double fraction) override;
    QComboBox& box() const { return box_; }

private:
    QComboBox& box_;
    FieldRef field_;
    ShownForm form_;
};

// A track bar or scroll bar whose position is the field's shown form.
class BoundSlider : public BoundControl {
    Q_OBJECT
public:
    BoundSlider(QAbstractSlider& slider, FieldRef field, ShownForm form, ShownRange range, QObject* parent);
    void refresh() override;
    QWidget* widget() const override;
    void moveTo(double fraction) override;
    QAbstractSlider& slider() const { return slider_; }

private:
    QAbstractSlider& slider_;
    FieldRef field_;
    ShownForm form_;
    bool refreshing_ = false;
};

} // namespace morvane
