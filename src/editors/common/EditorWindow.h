// What every editor window shares: the host, the bound controls, the ready
// flag and the send rule, the "Get voice", "Send voice", "Help" and "Close"
// buttons, the style and the keyboard order.
//
// A window declares each control once: its name, the field it shows (found
// again from the current record at every refresh), its shown form and, where
// the window narrows the field's stored range, its range. The window's
// refresh shows every bound control and never writes the voice; a user
// change is stored by the control, followed up by the window (entered) and
// sent by the rule here (changed).
#pragma once

#include "BoundControls.h"
#include "EditorHost.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <string_view>
#include <vector>
#include <utility>

class QAbstractSlider;
class QAction;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLayout;
class QVBoxLayout;

namespace morvane {

class NumberField;
class UpDown;

// The items of a list from a fixed table of names.
template <typename Names>
QStringList itemsOf(const Names& names)
{
    QStringList items;
    for (std::string_view name : names)
        items << QString::fromLatin1(name.data(), static_cast<int>(name.size()));
    return items;
}

class EditorWindow : public QWidget {
    Q_OBJECT
public:
    ~EditorWindow() override;

    // Refreshes every control from the voice. Nothing is written or sent.
    void updateDisplay();

    bool ready() const { return ready_; }

    // Shows what undo and redo would do (empty: nothing to undo or redo).
    void showHistory(const QString& undoName, const QString& redoName);

    // While comparing, the window shows the voice read-only: every control
    // that edits it is disabled, changes are neither stored nor sent, and
    // the caption says so. Lists that choose what the window shows (element,
    // operator, vector) and the buttons stay usable.
    void showComparing(bool on);
    bool comparing() const { return comparing_; }

    // A hardware controller moved the field at `path` to `fraction` (0-1) of
    // its range: the control that edits that field now moves as the user
    // would move it. False when no usable control of the window edits it.
    bool moveField(const std::string& path, double fraction);

protected:
    EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                 QWidget* parent);

    // The window's own refresh; runs with the ready flag false. By default it
    // shows every bound control.
    virtual void refreshControls();
    void refreshBindings();

    // A change the user made: when the window is not refreshing, it is one
    // undo step named `name` (changes under one key within a short pause are
    // one step), and the voice is sent when auto-send is on.
    void sendIfReady(const std::string& name = "Edit", const std::string& key = {});
    // Runs `step` with the ready flag false, so that nothing it does sends.
    template <typename Step>
    void withoutSending(Step step)
    {
        const bool wasReady = ready_;
        ready_ = false;
        step();
        ready_ = wasReady;
    }

    // The field that `locate` returns from the current record.
    template <typename Locate>
    FieldRef field(Locate locate)
    {
        return FieldRef(host_.voice(), locate);
    }

    // Bound controls, made as children of the window. Ranges are in shown
    // form; without one, the field's stored range seen through the form.
    NumberField& number(const char* boxName, const char* upDownName, FieldRef field, ShownForm form = kAsStored,
                        std::optional<ShownRange> range = std::nullopt, const char* toolTip = nullptr);
    BoundCheck& check(const char* name, const char* text, FieldRef field, const char* toolTip = nullptr);
    BoundList& list(const char* name, const QStringList& items, FieldRef field, ShownForm form = kAsStored,
                    const char* toolTip = nullptr);
    BoundSlider& trackBar(const char* name, Qt::Orientation orientation, FieldRef field, ShownForm form,
                          std::optional<ShownRange> range = std::nullopt, const char* toolTip = nullptr);
    BoundSlider& scrollBar(const char* name, Qt::Orientation orientation, FieldRef field, ShownForm form,
                           std::optional<ShownRange> range = std::nullopt, const char* toolTip = nullptr);

    // Controls of the window's own state (element, operator, model ...):
    // maroon lists that raise `activated` on the user's choice only.
    QComboBox* optionList(const char* name, const QStringList& items, const char* toolTip = nullptr);
    // A drop-down list the window handles itself (white, user's choice only).
    QComboBox* plainList(const char* name, const QStringList& items, const char* toolTip = nullptr);
    QLabel* label(const char* text, const char* toolTip = nullptr);

    // The four standard buttons, top to bottom, in a column.
    QVBoxLayout* makeButtonColumn();

    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    EditorHost& host_;

private:
    template <typename Control>
    Control& bind(Control* control);
    // The context menu of a bound control: undo, redo, and learning or
    // forgetting a hardware controller for its field.
    void offerControlMenu(BoundControl& control, QWidget& widget);
    BoundSlider& slider(QAbstractSlider* widget, const char* name, FieldRef field, ShownForm form,
                        std::optional<ShownRange> range, const char* toolTip);

    std::vector<BoundControl*> bindings_;
    bool ready_ = false;
    bool tabOrderSet_ = false;
    void applyReadOnly();

    QAction* undoAction_;
    QAction* redoAction_;
    QAction* compareAction_;
    QAction* playAction_;
    QString caption_;
    bool comparing_ = false;
    std::vector<QPointer<QWidget>> madeReadOnly_;
    int helpContext_;
};

// A widget that edits the voice without being a standard input control
// carries this property, so that compare makes it read-only too.
inline constexpr const char* kEditsVoiceProperty = "editsVoice";

// Layout pieces the windows share.
QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch = true);

// A window's "Undo" (Ctrl+Z) and "Redo" (Ctrl+Shift+Z, Ctrl+Y) actions,
// working wherever the focus is in it.
std::pair<QAction*, QAction*> addUndoActions(QWidget& window);

// Whether `event` is a box's claim on undo or redo keys, which a window
// takes back so that its own undo and redo come first.
bool claimsUndoKeys(const QEvent* event);
QGroupBox* group(const char* caption, QLayout* content, QWidget* parent);

// Sets the keyboard order of a window's controls to reading order: group by
// group, each group's controls row by row, left to right.
void setReadingTabOrder(QWidget& window);

} // namespace morvane
