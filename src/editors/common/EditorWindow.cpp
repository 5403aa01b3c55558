#include "EditorWindow.h"

#include "EditorStyle.h"
#include "NumberField.h"
#include "Repainting.h"
#include "UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <type_traits>
#include <tuple>

namespace morvane {

EditorWindow::EditorWindow(EditorHost& host, const QString& objectName, const QString& caption, int helpContext,
                           QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(host), helpContext_(helpContext)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    caption_ = caption;

    // Undo and redo work wherever the focus is in the window, and its
    // context menu offers them with the step's name.
    std::tie(undoAction_, redoAction_) = addUndoActions(*this);
    undoAction_->setEnabled(false);
    redoAction_->setEnabled(false);
    // Compare and the test note, also wherever the focus is in the window.
    compareAction_ = new QAction(QStringLiteral("Compare with loaded voice"), this);
    compareAction_->setObjectName(QStringLiteral("Compare"));
    compareAction_->setCheckable(true);
    compareAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
    playAction_ = new QAction(QStringLiteral("Play test note"), this);
    playAction_->setObjectName(QStringLiteral("PlayTestNote"));
    playAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    for (QAction* action : {compareAction_, playAction_}) {
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(compareAction_, &QAction::triggered, this, [this](bool on) { host_.setComparing(on); });
    connect(playAction_, &QAction::triggered, this, [this] {
        host_.startTestNote();
        host_.releaseTestNote();
    });
    connect(undoAction_, &QAction::triggered, this, [this] { host_.undo(); });
    connect(redoAction_, &QAction::triggered, this, [this] { host_.redo(); });
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setStyleSheet(style::editorStyleSheet(objectName));
    setAttribute(Qt::WA_StyledBackground);
}

EditorWindow::~EditorWindow()
{
    // The bindings reach into the window's record accessors: they go before
    // the controls, whose last focus events must find no one to store.
    for (BoundControl* control : bindings_)
        delete control;
}

void EditorWindow::updateDisplay()
{
    withoutSending([this] { refreshControls(); });
    ready_ = true;
    if (comparing_)
        applyReadOnly();  // the window's own refresh may have enabled a control
}

void EditorWindow::showComparing(bool on)
{
    comparing_ = on;
    compareAction_->setChecked(on);
    if (auto* button = findChild<QPushButton*>(QStringLiteral("bCompare")))
        button->setChecked(on);
    setWindowTitle(on ? caption_ + QStringLiteral(" [comparing: loaded voice, read-only]") : caption_);
    if (on) {
        applyReadOnly();
        return;
    }
    for (const QPointer<QWidget>& widget : madeReadOnly_)
        if (widget)
            widget->setEnabled(true);
    madeReadOnly_.clear();
}

void EditorWindow::applyReadOnly()
{
    for (QWidget* widget : findChildren<QWidget*>()) {
        const bool edits = widget->property(kEditsVoiceProperty).toBool()
                           || qobject_cast<QLineEdit*>(widget) != nullptr
                           || qobject_cast<QAbstractSlider*>(widget) != nullptr
                           || qobject_cast<QCheckBox*>(widget) != nullptr
                           || qobject_cast<UpDown*>(widget) != nullptr
                           || (qobject_cast<QComboBox*>(widget) != nullptr
                               && !widget->property(style::kOptionProperty).toBool());
        if (!edits || !widget->isEnabled() || widget->isWindow())
            continue;
        widget->setEnabled(false);
        madeReadOnly_.emplace_back(widget);
    }
}

void EditorWindow::refreshControls()
{
    refreshBindings();
}

void EditorWindow::refreshBindings()
{
    for (BoundControl* control : bindings_)
        control->refresh();
}

void EditorWindow::sendIfReady(const std::string& name, const std::string& key)
{
    if (!ready_ || comparing_)
        return;
    host_.voiceEdited(name, key);
    if (host_.autoSend())
        host_.sendVoice();
}

void EditorWindow::showHistory(const QString& undoName, const QString& redoName)
{
    undoAction_->setEnabled(!undoName.isEmpty());
    undoAction_->setText(undoName.isEmpty() ? QStringLiteral("Undo") : QStringLiteral("Undo ") + undoName);
    redoAction_->setEnabled(!redoName.isEmpty());
    redoAction_->setText(redoName.isEmpty() ? QStringLiteral("Redo") : QStringLiteral("Redo ") + redoName);
}

bool EditorWindow::moveField(const std::string& path, double fraction)
{
    if (comparing_)
        return false;
    for (BoundControl* control : bindings_)
        if (control->widget()->isEnabled() && control->currentPath() == path) {
            control->moveTo(fraction);
            return true;
        }
    return false;
}

void EditorWindow::offerControlMenu(BoundControl& control, QWidget& widget)
{
    widget.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&widget, &QWidget::customContextMenuRequested, this, [this, &control, &widget](const QPoint& at) {
        auto* box = qobject_cast<QLineEdit*>(&widget);
        QMenu* menu = box != nullptr ? box->createStandardContextMenu() : new QMenu(this);
        menu->setObjectName(QStringLiteral("ControlMenu"));
        menu->setAttribute(Qt::WA_DeleteOnClose);
        if (box == nullptr)
            menu->addActions({undoAction_, redoAction_});
        menu->addSeparator();
        const std::string path = control.currentPath();
        const std::string bound = host_.controllerOf(path);
        QAction* learn = menu->addAction(QStringLiteral("Learn controller"));
        learn->setObjectName(QStringLiteral("LearnController"));
        learn->setToolTip(QStringLiteral("Move a knob of the controller input: it moves this control from now on"));
        connect(learn, &QAction::triggered, this, [this, path] { host_.learnController(path); });
        QAction* forget = menu->addAction(bound.empty() ? QStringLiteral("Forget controller")
                                                        : QStringLiteral("Forget controller (%1)").arg(QString::fromStdString(bound)));
        forget->setObjectName(QStringLiteral("ForgetController"));
        forget->setEnabled(!bound.empty());
        connect(forget, &QAction::triggered, this, [this, path] { host_.forgetController(path); });
        menu->popup(widget.mapToGlobal(at));
    });
}

template <typename Control>
Control& EditorWindow::bind(Control* control)
{
    bindings_.push_back(control);
    offerControlMenu(*control, *control->widget());
    if constexpr (std::is_same_v<Control, NumberField>)
        if (control->upDown() != nullptr)
            offerControlMenu(*control, *control->upDown());
    connect(control, &BoundControl::changed, this,
            [this, control] { sendIfReady(control->words(), control->path()); });
    return *control;
}

NumberField& EditorWindow::number(const char* boxName, const char* upDownName, FieldRef field, ShownForm form,
                                  std::optional<ShownRange> range, const char* toolTip)
{
    auto* box = new QLineEdit(this);
    box->setObjectName(QString::fromLatin1(boxName));
    if (toolTip != nullptr)
        box->setToolTip(QString::fromLatin1(toolTip));
    box->setFixedWidth(30);
    const ShownRange shown = range.value_or(shownRange(field, form));
    auto* upDown = new UpDown(shown.min, shown.max, this);
    upDown->setObjectName(QString::fromLatin1(upDownName));
    return bind(new NumberField(*box, upDown, std::move(field), form, shown, this));
}

BoundCheck& EditorWindow::check(const char* name, const char* text, FieldRef field, const char* toolTip)
{
    auto* box = new QCheckBox(QString::fromLatin1(text), this);
    box->setObjectName(QString::fromLatin1(name));
    if (toolTip != nullptr)
        box->setToolTip(QString::fromLatin1(toolTip));
    return bind(new BoundCheck(*box, std::move(field), this));
}

QComboBox* EditorWindow::plainList(const char* name, const QStringList& items, const char* toolTip)
{
    auto* box = new QComboBox(this);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    box->setMaxVisibleItems(16);
    if (toolTip != nullptr)
        box->setToolTip(QString::fromLatin1(toolTip));
    return box;
}

BoundList& EditorWindow::list(const char* name, const QStringList& items, FieldRef field, ShownForm form,
                              const char* toolTip)
{
    return bind(new BoundList(*plainList(name, items, toolTip), std::move(field), form, this));
}

QComboBox* EditorWindow::optionList(const char* name, const QStringList& items, const char* toolTip)
{
    QComboBox* box = plainList(name, items, toolTip);
    box->setProperty(style::kOptionProperty, true);
    return box;
}

BoundSlider& EditorWindow::slider(QAbstractSlider* widget, const char* name, FieldRef field, ShownForm form,
                                  std::optional<ShownRange> range, const char* toolTip)
{
    widget->setObjectName(QString::fromLatin1(name));
    if (toolTip != nullptr)
        widget->setToolTip(QString::fromLatin1(toolTip));
    widget->setPageStep(1);
    const ShownRange shown = range.value_or(shownRange(field, form));
    return bind(new BoundSlider(*widget, std::move(field), form, shown, this));
}

BoundSlider& EditorWindow::trackBar(const char* name, Qt::Orientation orientation, FieldRef field, ShownForm form,
                                    std::optional<ShownRange> range, const char* toolTip)
{
    auto* bar = new TrackBar(orientation, this);
    if (orientation == Qt::Vertical) {
        // Position 0 at the top, as the instrument's own pages show it.
        bar->setInvertedAppearance(true);
        bar->setInvertedControls(true);
    }
    return slider(bar, name, std::move(field), form, range, toolTip);
}

BoundSlider& EditorWindow::scrollBar(const char* name, Qt::Orientation orientation, FieldRef field, ShownForm form,
                                     std::optional<ShownRange> range, const char* toolTip)
{
    auto* bar = new QScrollBar(orientation, this);
    bar->setFocusPolicy(Qt::StrongFocus);  // reachable by Tab and stepped by the arrow keys, as a track bar
    return slider(bar, name, std::move(field), form, range, toolTip);
}

QLabel* EditorWindow::label(const char* text, const char* toolTip)
{
    auto* widget = new QLabel(QString::fromLatin1(text), this);
    if (toolTip != nullptr)
        widget->setToolTip(QString::fromLatin1(toolTip));
    return widget;
}

QVBoxLayout* EditorWindow::makeButtonColumn()
{
    auto* column = new QVBoxLayout;
    column->setSpacing(6);
    struct Button {
        const char* name;
        const char* caption;
        std::function<void()> action;
    };
    const Button buttons[] = {
        {"bGetVoice", "Get voice", [this] { host_.getVoice(); }},
        {"bSendVoice", "Send voice", [this] { host_.sendVoice(); }},
        {"bCompare", "Compare", [this] { host_.setComparing(!host_.comparing()); }},
        {"HelpButton", "Help", [this] { host_.showHelp(helpContext_); }},
        {"bClose", "Close", [this] { hide(); }},
    };
    for (const Button& b : buttons) {
        auto* button = new QPushButton(QString::fromLatin1(b.caption), this);
        button->setObjectName(QString::fromLatin1(b.name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, b.action);
        column->addWidget(button);
    }
    auto* compare = findChild<QPushButton*>(QStringLiteral("bCompare"));
    compare->setCheckable(true);
    compare->setToolTip(QStringLiteral("Compare with the voice as last loaded (Ctrl+K)"));
    // Play sounds the test note while it is held, and at least for the
    // note's length.
    auto* play = new QPushButton(QStringLiteral("Play"), this);
    play->setObjectName(QStringLiteral("bPlay"));
    play->setAutoDefault(false);
    play->setToolTip(QStringLiteral("Play the test note; held, it sounds until released (Ctrl+T)"));
    connect(play, &QPushButton::pressed, this, [this] { host_.startTestNote(); });
    connect(play, &QPushButton::released, this, [this] { host_.releaseTestNote(); });
    column->insertWidget(2, play);
    column->addStretch();
    // As narrow as the longest caption allows: the windows have fixed sizes.
    for (QPushButton* button : findChildren<QPushButton*>())
        if (column->indexOf(button) >= 0)
            button->setFixedWidth(72);
    return column;
}

void EditorWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!tabOrderSet_) {
        tabOrderSet_ = true;
        setReadingTabOrder(*this);
        for (QLineEdit* box : findChildren<QLineEdit*>())
            box->installEventFilter(this);
        // The focus starts on the first control in Tab order that does not
        // take typing, so that the program's Ctrl keys are free at first.
        for (QWidget* next = nextInFocusChain(); next != nullptr && next != this; next = next->nextInFocusChain()) {
            if (next->isWindow() || !next->isVisibleTo(this) || !next->isEnabled()
                || (next->focusPolicy() & Qt::TabFocus) == 0 || qobject_cast<QLineEdit*>(next) != nullptr)
                continue;
            next->setFocus(Qt::OtherFocusReason);
            break;
        }
    }
}

std::pair<QAction*, QAction*> addUndoActions(QWidget& window)
{
    auto* undo = new QAction(QStringLiteral("Undo"), &window);
    undo->setObjectName(QStringLiteral("Undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    auto* redo = new QAction(QStringLiteral("Redo"), &window);
    redo->setObjectName(QStringLiteral("Redo"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction* action : {undo, redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window.addAction(action);
    }
    return {undo, redo};
}

bool claimsUndoKeys(const QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
           || key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y);
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The window's undo and redo come before a box's own text undo.
    if (claimsUndoKeys(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets, bool stretch)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(2);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    if (stretch)
        layout->addStretch();
    return layout;
}

QGroupBox* group(const char* caption, QLayout* content, QWidget* parent)
{
    auto* box = new EditorGroup(QString::fromLatin1(caption), parent);
    content->setContentsMargins(3, 3, 3, 3);
    box->setLayout(content);
    // The caption sets the least width: the style sheet's title does not.
    box->ensurePolished();
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(box->title()) + 12);
    return box;
}

namespace {

// The direct items of a container in reading order: group boxes (kept as
// one item) and focusable controls outside any inner group.
void collectItems(QWidget& container, QWidget& widget, std::vector<QWidget*>& items)
{
    for (QObject* object : widget.children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child->isWindow())
            continue;
        if (qobject_cast<QGroupBox*>(child) != nullptr || (child->focusPolicy() & Qt::TabFocus) != 0)
            items.push_back(child);
        else
            collectItems(container, *child, items);
    }
}

void appendInReadingOrder(QWidget& container, std::vector<QWidget*>& order)
{
    std::vector<QWidget*> items;
    collectItems(container, container, items);
    struct Placed {
        QWidget* widget;
        QPoint at;
        int row;
    };
    std::vector<Placed> placed;
    for (QWidget* item : items)
        placed.push_back({item, item->mapTo(&container, QPoint(0, 0)), 0});
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) { return a.at.y() < b.at.y(); });
    // Items whose tops lie within a few pixels of a row's first item share that row.
    int rowTop = 0;
    int rowNumber = -1;
    for (Placed& p : placed) {
        if (rowNumber < 0 || p.at.y() - rowTop > 8) {
            ++rowNumber;
            rowTop = p.at.y();
        }
        p.row = rowNumber;
    }
    std::stable_sort(placed.begin(), placed.end(), [](const Placed& a, const Placed& b) {
        return a.row != b.row ? a.row < b.row : a.at.x() < b.at.x();
    });
    items.clear();
    for (const Placed& p : placed)
        items.push_back(p.widget);
    for (QWidget* item : items) {
        if (qobject_cast<QGroupBox*>(item) != nullptr)
            appendInReadingOrder(*item, order);
        else
            order.push_back(item);
    }
}

} // namespace

void setReadingTabOrder(QWidget& window)
{
    std::vector<QWidget*> order;
    appendInReadingOrder(window, order);
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace morvane
