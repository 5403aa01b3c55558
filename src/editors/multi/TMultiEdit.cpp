#include "TMultiEdit.h"

#include "EditorStyle.h"
#include "EditorWindow.h"
#include "EffectNames.h"
#include "NumberField.h"
#include "UpDown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <tuple>

namespace morvane {

namespace {

// A run of changes under one key within this pause is one undo step, as in
// the voice editors.
constexpr std::chrono::milliseconds kStepPause{800};
constexpr std::size_t kMaxSteps = 1000;

constexpr int kPartRowHeight = 26;

QString slotName(int bank, int voice)
{
    return QString::fromStdString(multiSlotName(bank, voice));
}

} // namespace

TMultiEdit::TMultiEdit(Host host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      host_(std::move(host))
{
    setObjectName(QStringLiteral("MultiEdit"));
    setWindowTitle(QStringLiteral("Multi (TG-33)"));
    setStyleSheet(style::editorStyleSheet(objectName()));
    setAttribute(Qt::WA_StyledBackground);

    // Undo and redo wherever the focus is in the window; a box's own text
    // undo does not take the keys (eventFilter).
    std::tie(undoAction_, redoAction_) = addUndoActions(*this);
    connect(undoAction_, &QAction::triggered, this, &TMultiEdit::undo);
    connect(redoAction_, &QAction::triggered, this, &TMultiEdit::redo);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    // The common part.
    tfMultiName = new QLineEdit(this);
    tfMultiName->setObjectName(QStringLiteral("tfMultiName"));
    tfMultiName->setMaxLength(static_cast<int>(multi_.name.size()));
    tfMultiName->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7E]*")), tfMultiName));
    tfMultiName->setFixedWidth(90);
    connect(tfMultiName, &QLineEdit::textEdited, this, &TMultiEdit::nameEdited);

    auto* effect = new QComboBox(this);
    effect->setObjectName(QStringLiteral("cbEffectType"));
    effect->addItems(itemsOf(kEffectNames));
    effect->setMaxVisibleItems(16);
    bind(new BoundList(*effect, commonField(MultiField::EffectType), kAsStored, this));
    auto* assign = new QComboBox(this);
    assign->setObjectName(QStringLiteral("cbAssignMode"));
    assign->addItems(itemsOf(kAssignModeNames));
    bind(new BoundList(*assign, commonField(MultiField::AssignMode), kAsStored, this));

    auto* common = new QGridLayout;
    auto label = [this](const char* text) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        return l;
    };
    common->addWidget(label("Name"), 0, 0);
    common->addWidget(tfMultiName, 0, 1);
    common->addWidget(label("Effect"), 0, 2);
    common->addWidget(effect, 0, 3);
    common->addWidget(label("Voice assignment"), 0, 4);
    common->addWidget(assign, 0, 5);
    const struct {
        const char* label;
        const char* name;
        MultiField field;
    } numbers[] = {
        {"Balance", "EffectBalance", MultiField::Balance},
        {"Send, group 1", "Send1", MultiField::Send1},
        {"Send, group 2", "Send2", MultiField::Send2},
        {"Output", "OutputAssign", MultiField::Output},
    };
    auto* numberRow = new QHBoxLayout;
    for (const auto& n : numbers) {
        numberRow->addWidget(label(n.label));
        numberRow->addWidget(numberCell(QString::fromLatin1(n.name), commonField(n.field), kAsStored));
    }
    numberRow->addStretch();
    common->addLayout(numberRow, 1, 0, 1, 6);

    buildParts();

    bGetMulti = new QPushButton(QStringLiteral("Get multi"), this);
    bGetMulti->setObjectName(QStringLiteral("bGetMulti"));
    bSendMulti = new QPushButton(QStringLiteral("Send multi"), this);
    bSendMulti->setObjectName(QStringLiteral("bSendMulti"));
    bOpenMulti = new QPushButton(QStringLiteral("Open multi..."), this);
    bOpenMulti->setObjectName(QStringLiteral("bOpenMulti"));
    bSaveMulti = new QPushButton(QStringLiteral("Save multi..."), this);
    bSaveMulti->setObjectName(QStringLiteral("bSaveMulti"));
    connect(bOpenMulti, &QPushButton::clicked, this, &TMultiEdit::OpenMultiClick);
    connect(bSaveMulti, &QPushButton::clicked, this, &TMultiEdit::SaveMultiClick);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("bHelp"));
    connect(bGetMulti, &QPushButton::clicked, this, &TMultiEdit::GetMultiClick);
    connect(bSendMulti, &QPushButton::clicked, this, &TMultiEdit::SendMultiClick);
    connect(help, &QPushButton::clicked, this, [this] {
        if (host_.showHelp)
            host_.showHelp();
    });
    MultiState = new QLabel(this);
    MultiState->setObjectName(QStringLiteral("MultiState"));
    MultiState->setWordWrap(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bGetMulti);
    buttons->addWidget(bSendMulti);
    buttons->addWidget(bOpenMulti);
    buttons->addWidget(bSaveMulti);
    buttons->addWidget(MultiState, 1);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(common);
    layout->addWidget(tblParts, 1);
    layout->addLayout(buttons);

    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->installEventFilter(this);
    steps_.push_back({multi_, {}, {}, {}});
    updateDisplay();
    // The first control that takes no typing has the focus, so the keys of
    // the window work at once.
    effect->setFocus();
}

FieldRef TMultiEdit::commonField(MultiField f)
{
    const MultiRow& row = rowOf(f);
    return FieldRef([this, f] { return multi_[f]; }, [this, f](int value) { multi_[f] = value; }, row.min, row.max,
                    "common." + std::string(row.key), std::string(row.words));
}

FieldRef TMultiEdit::partField(int part, PartField f)
{
    const MultiRow& row = rowOf(f);
    const auto p = static_cast<std::size_t>(part);
    const std::string number = std::to_string(part + 1);
    return FieldRef([this, p, f] { return multi_.parts[p][f]; }, [this, p, f](int value) { multi_.parts[p][f] = value; },
                    row.min, row.max, "part" + number + "." + std::string(row.key),
                    std::string(row.words) + ", part " + number);
}

template <typename Control>
Control& TMultiEdit::bind(Control* control)
{
    bindings_.push_back(control);
    connect(control, &BoundControl::changed, this, [this, control] { edited(control->words(), control->path()); });
    return *control;
}

QWidget* TMultiEdit::numberCell(const QString& name, FieldRef field, ShownForm form)
{
    auto* cell = new QWidget(this);
    auto* box = new QLineEdit(cell);
    box->setObjectName(QStringLiteral("tf") + name);
    box->setFixedWidth(34);
    const ShownRange range = shownRange(field, form);
    auto* upDown = new UpDown(range.min, range.max, cell);
    upDown->setObjectName(QStringLiteral("ud") + name);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(box);
    layout->addWidget(upDown);
    layout->addStretch();
    bind(new NumberField(*box, upDown, std::move(field), form, range, this));
    return cell;
}

void TMultiEdit::buildParts()
{
    tblParts = new QTableWidget(kMultiParts, Columns, this);
    tblParts->setObjectName(QStringLiteral("tblParts"));
    tblParts->setHorizontalHeaderLabels({QStringLiteral("On"), QStringLiteral("Bank"), QStringLiteral("Voice"),
                                         QStringLiteral("Volume"), QStringLiteral("Detune"),
                                         QStringLiteral("Note shift"), QStringLiteral("Pan"),
                                         QStringLiteral("Effect group")});
    QStringList channels;
    for (int p = 1; p <= kMultiParts; ++p)
        channels << QString::number(p);
    tblParts->setVerticalHeaderLabels(channels);
    tblParts->verticalHeader()->setDefaultSectionSize(kPartRowHeight);
    tblParts->setSelectionMode(QAbstractItemView::NoSelection);
    tblParts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblParts->setToolTip(QStringLiteral("One part for each MIDI channel (the row's number)"));

    QStringList voiceItems;
    for (int v = 0; v <= rowOf(PartField::Voice).max; ++v)
        voiceItems << slotName(0, v);
    for (int p = 0; p < kMultiParts; ++p) {
        const QString n = QString::number(p + 1);
        auto* on = new QCheckBox(this);
        on->setObjectName(QStringLiteral("chkOn") + n);
        bind(new BoundCheck(*on, partField(p, PartField::On), this));
        tblParts->setCellWidget(p, On, on);

        auto* bank = new QComboBox(this);
        bank->setObjectName(QStringLiteral("cbBank") + n);
        bank->addItems(itemsOf(kPartBankNames));
        bind(new BoundList(*bank, partField(p, PartField::Bank), kAsStored, this));
        tblParts->setCellWidget(p, Bank, bank);

        auto* voice = new QComboBox(this);
        voice->setObjectName(QStringLiteral("cbVoice") + n);
        voice->addItems(voiceItems);
        voice->setMaxVisibleItems(16);
        voice->setMinimumContentsLength(14);
        voice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        bind(new BoundList(*voice, partField(p, PartField::Voice), kAsStored, this));
        voiceLists_.push_back(voice);
        tblParts->setCellWidget(p, Voice, voice);

        tblParts->setCellWidget(p, Volume, numberCell(QStringLiteral("Volume") + n, partField(p, PartField::Volume), kAsStored));
        tblParts->setCellWidget(p, Detune, numberCell(QStringLiteral("Detune") + n, partField(p, PartField::Detune), kAsStored));
        tblParts->setCellWidget(p, NoteShift,
                                numberCell(QStringLiteral("NoteShift") + n, partField(p, PartField::NoteShift), kAsStored));
        tblParts->setCellWidget(p, Pan, numberCell(QStringLiteral("Pan") + n, partField(p, PartField::Pan), kAsStored));

        auto* group = new QComboBox(this);
        group->setObjectName(QStringLiteral("cbEffectGroup") + n);
        group->addItems({QStringLiteral("1"), QStringLiteral("2")});
        bind(new BoundList(*group, partField(p, PartField::EffectGroup), kAsStored, this));
        tblParts->setCellWidget(p, EffectGroup, group);
    }
    tblParts->resizeColumnsToContents();
    tblParts->setMinimumWidth(tblParts->horizontalHeader()->length() + tblParts->verticalHeader()->width() + 24);
    // All sixteen parts at once, without scrolling.
    tblParts->setMinimumHeight(tblParts->horizontalHeader()->sizeHint().height() + kPartRowHeight * kMultiParts
                               + 2 * tblParts->frameWidth());
    tblParts->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TMultiEdit::updateDisplay()
{
    refreshing_ = true;
    for (BoundControl* control : bindings_)
        control->refresh();
    // The name without the spaces that pad it; a box that already spells it
    // (the user is typing) is left alone.
    QString name = QString::fromLatin1(multi_.name.data(), static_cast<int>(multi_.name.size()));
    if (tfMultiName->text().leftJustified(name.size(), QLatin1Char(' ')) != name) {
        while (name.endsWith(QLatin1Char(' ')))
            name.chop(1);
        tfMultiName->setText(name);
    }
    showVoiceNames();
    showHistory();
    refreshing_ = false;
}

void TMultiEdit::showVoiceNames()
{
    for (int p = 0; p < kMultiParts; ++p) {
        const MultiPart& part = multi_.parts[static_cast<std::size_t>(p)];
        const int bank = part[PartField::Bank];
        QComboBox* list = voiceLists_[static_cast<std::size_t>(p)];
        for (int v = 0; v < list->count(); ++v) {
            QString text = slotName(bank, v);
            if (host_.voiceName)
                if (const std::string name = host_.voiceName(bank, v); !name.empty())
                    text += QStringLiteral(" ") + QString::fromLatin1(name.c_str()).trimmed();
            if (list->itemText(v) != text)
                list->setItemText(v, text);
        }
    }
}

void TMultiEdit::nameEdited(const QString& text)
{
    for (std::size_t i = 0; i < multi_.name.size(); ++i)
        multi_.name[i] = i < static_cast<std::size_t>(text.size()) ? static_cast<char>(text[static_cast<int>(i)].unicode()) : ' ';
    edited(rowOf(MultiField::Name).words.data(), "common.name");
}

void TMultiEdit::edited(const std::string& name, const std::string& key)
{
    if (refreshing_)
        return;
    const auto now = std::chrono::steady_clock::now();
    // Nothing changed (a value typed again): no step, and redo is kept.
    if (steps_[at_].multi == multi_)
        return;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(at_) + 1, steps_.end());
    Step& last = steps_[at_];
    if (at_ > 0 && !key.empty() && key == last.key && now - last.at <= kStepPause) {
        last.multi = multi_;
        last.at = now;
    } else {
        steps_.push_back({multi_, name, key, now});
        ++at_;
        if (steps_.size() > kMaxSteps + 1) {
            steps_.erase(steps_.begin());
            --at_;
        }
    }
    // The bank a part plays from names its voices.
    if (key.ends_with(".bank"))
        showVoiceNames();
    showHistory();
    send();
}

void TMultiEdit::send()
{
    if (!host_.sendMulti)
        return;
    const std::string error = host_.sendMulti(multi_);
    if (error.empty())
        say({});
    else
        say(QStringLiteral("Multi not sent: ") + QString::fromStdString(error), true);
}

void TMultiEdit::loadMulti(const Multi& multi, const std::string& step)
{
    multi_ = multi;
    steps_.erase(steps_.begin() + static_cast<std::ptrdiff_t>(at_) + 1, steps_.end());
    if (!(steps_[at_].multi == multi_)) {
        steps_.push_back({multi_, step, {}, std::chrono::steady_clock::now()});
        ++at_;
    }
    updateDisplay();
}

void TMultiEdit::undo()
{
    if (at_ == 0)
        return;
    --at_;
    multi_ = steps_[at_].multi;
    updateDisplay();
    send();
}

void TMultiEdit::redo()
{
    if (at_ + 1 >= steps_.size())
        return;
    ++at_;
    multi_ = steps_[at_].multi;
    updateDisplay();
    send();
}

void TMultiEdit::showHistory()
{
    const bool canUndo = at_ > 0;
    const bool canRedo = at_ + 1 < steps_.size();
    undoAction_->setEnabled(canUndo);
    undoAction_->setText(canUndo ? QStringLiteral("Undo ") + QString::fromStdString(steps_[at_].name)
                                 : QStringLiteral("Undo"));
    redoAction_->setEnabled(canRedo);
    redoAction_->setText(canRedo ? QStringLiteral("Redo ") + QString::fromStdString(steps_[at_ + 1].name)
                                 : QStringLiteral("Redo"));
}

void TMultiEdit::GetMultiClick()
{
    if (!host_.getMulti)
        return;
    bGetMulti->setEnabled(false);
    bSendMulti->setEnabled(false);
    say(QStringLiteral("Asking the instrument for its multi..."));
    Multi fetched = multi_;
    const std::string error = host_.getMulti(fetched);
    bGetMulti->setEnabled(true);
    bSendMulti->setEnabled(true);
    if (!error.empty()) {
        say(QString::fromStdString(error), true);
        return;
    }
    loadMulti(fetched, "Get multi");
    say(QStringLiteral("Multi \"%1\" received from the instrument.").arg(QString::fromLatin1(multi_.name.data(), 8).trimmed()));
}

void TMultiEdit::SendMultiClick()
{
    send();
    if (MultiState->text().isEmpty())
        say(QStringLiteral("Multi sent."));
}

bool TMultiEdit::openMultiFile(const QString& path)
{
    Multi read = multi_;
    if (const std::string fault = readMultiFile(path.toStdString(), read); !fault.empty()) {
        say(QStringLiteral("%1 was not opened: %2").arg(path, QString::fromStdString(fault)), true);
        return false;
    }
    loadMulti(read, "Open multi");
    send();
    if (MultiState->text().isEmpty())
        say(QStringLiteral("Opened %1.").arg(path));
    return true;
}

bool TMultiEdit::saveMultiFile(const QString& path)
{
    if (const std::string fault = writeMultiFile(path.toStdString(), multi_); !fault.empty()) {
        say(QStringLiteral("%1 was not saved: %2").arg(path, QString::fromStdString(fault)), true);
        return false;
    }
    say(QStringLiteral("Saved the multi to %1.").arg(path));
    return true;
}

void TMultiEdit::OpenMultiClick()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open multi"), {},
                                                      QStringLiteral("System Exclusive files (*.syx *.SYX);;All files (*)"));
    if (!path.isEmpty())
        openMultiFile(path);
}

void TMultiEdit::SaveMultiClick()
{
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save multi"), {},
                                                      QStringLiteral("System Exclusive files (*.syx *.SYX)"));
    if (!path.isEmpty())
        saveMultiFile(path);
}

void TMultiEdit::say(const QString& text, bool fault)
{
    MultiState->setText(text);
    MultiState->setStyleSheet(fault ? QStringLiteral("color: red") : QString());
}

void TMultiEdit::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        showVoiceNames();
    QWidget::changeEvent(event);
}

bool TMultiEdit::eventFilter(QObject* watched, QEvent* event)
{
    // The window's undo and redo come before a box's own text undo.
    if (claimsUndoKeys(event))
        return true;
    return QWidget::eventFilter(watched, event);
}

} // namespace morvane
