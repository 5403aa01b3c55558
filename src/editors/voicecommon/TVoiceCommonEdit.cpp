#include "TVoiceCommonEdit.h"

#include "EffectNames.h"
#include "NumberField.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

#include <cstring>

namespace morvane {

namespace {

constexpr int kNameLength = sizeof(VoiceCommonParams::name);

// The instrument shows printable 7-bit characters only: anything else is
// refused in the box and shown as a space.
bool isNameCharacter(QChar ch)
{
    return ch.unicode() >= 0x20 && ch.unicode() <= 0x7E;
}

QHBoxLayout* row(std::initializer_list<QWidget*> widgets)
{
    auto* layout = new QHBoxLayout;
    layout->setSpacing(2);
    for (QWidget* w : widgets)
        layout->addWidget(w);
    layout->addStretch();
    return layout;
}

QGroupBox* group(const char* caption, QLayout* content, QWidget* parent)
{
    auto* box = new QGroupBox(QString::fromLatin1(caption), parent);
    content->setContentsMargins(5, 3, 5, 3);
    box->setLayout(content);
    // The caption sets the least width: the style sheet's title does not.
    box->ensurePolished();
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(box->title()) + 16);
    return box;
}

} // namespace

TVoiceCommonEdit::TVoiceCommonEdit(EditorHost& host, QWidget* parent)
    : EditorWindow(host, QStringLiteral("VoiceCommonEdit"), QStringLiteral("Morvane - Voice common"), kHelpContext,
                   parent)
{
    VoiceCommonParams& c = host_.voice().common;
    auto label = [this](const char* text) { return new QLabel(QString::fromLatin1(text), this); };
    auto checkBox = [this](QCheckBox*& box, const char* name, const char* text, const char* tip) {
        box = new QCheckBox(QString::fromLatin1(text), this);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(QString::fromLatin1(tip));
        connect(box, &QCheckBox::toggled, this, [this, box](bool checked) { checkBoxChanged(box, checked); });
    };
    auto comboBox = [this](QComboBox*& box, const char* name, const auto& items, const char* tip) {
        box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setToolTip(QString::fromLatin1(tip));
        for (std::string_view item : items)
            box->addItem(QString::fromLatin1(item.data(), static_cast<int>(item.size())));
        // activated is the user's choice only: the refresh selects silently.
        connect(box, &QComboBox::activated, this, [this, box](int index) { comboBoxChange(box, index); });
    };

    tfVoiceName = new QLineEdit(this);
    tfVoiceName->setObjectName(QStringLiteral("tfVoiceName"));
    tfVoiceName->setToolTip(QStringLiteral("Name of the voice"));
    tfVoiceName->setMaxLength(kNameLength);
    tfVoiceName->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,8}")), tfVoiceName));
    tfVoiceName->setFixedWidth(80);
    connect(tfVoiceName, &QLineEdit::textChanged, this, &TVoiceCommonEdit::tfVoiceNameChange);

    comboBox(cbVoiceConfig, "cbVoiceConfig", kVoiceConfigNames, "Sets the number of elements in this voice");
    comboBox(cbFXType, "cbFXType", kEffectNames, "Selects the effect type");
    checkBox(cbAftertouchAM, "cbAftertouchAM", "Assign to AM", "Sets aftertouch to control tremolo");
    checkBox(cbAftertouchPM, "cbAftertouchPM", "Assign to PM", "Sets aftertouch to control vibrato");
    checkBox(cbAftertouchLevel, "cbAftertouchLevel", "Assign to level", "Sets aftertouch to control volume");
    checkBox(cbModWheelAM, "cbModWheelAM", "Assign to AM", "Sets the modulation wheel to control tremolo");
    checkBox(cbModWheelPM, "cbModWheelPM", "Assign to PM", "Sets the modulation wheel to control vibrato");

    fxDepth = addNumberField(
        tfFXDepth, udFXDepth, "tfFXDepth", "udFXDepth", 0, 7, [&c] { return int(c.effectDepth); },
        [&c](int v) { c.effectDepth = static_cast<std::uint8_t>(v); }, "Sets the amount of effect (0 to 7)");
    bendRange = addNumberField(
        tfBendRange, udBendRange, "tfBendRange", "udBendRange", 0, 12, [&c] { return int(c.bendRange); },
        [&c](int v) { c.bendRange = static_cast<std::uint8_t>(v); },
        "Sets the maximum range of the pitch wheel in semitones (0 to 12)");
    aftertouchPitch = addNumberField(
        tfAftertouchPitch, udAftertouchPitch, "tfAftertouchPitch", "udAftertouchPitch", -12, 12,
        [&c] { return int(c.atPitch); }, [&c](int v) { c.atPitch = static_cast<std::int8_t>(v); },
        "Sets the maximum aftertouch pitch bend in semitones (-12 to 12)");
    attack = addNumberField(
        tfAttack, udAttack, "tfAttack", "udAttack", -64, 63, [&c] { return int(c.attack); },
        [&c](int v) { c.attack = static_cast<std::int8_t>(v); },
        "Sets the amount by which to alter each element's attack rate (-64 to 63)");
    release = addNumberField(
        tfRelease, udRelease, "tfRelease", "udRelease", -64, 63, [&c] { return int(c.release); },
        [&c](int v) { c.release = static_cast<std::int8_t>(v); },
        "Sets the amount by which to alter each element's release rate (-64 to 63)");
    connect(attack, &NumberField::entered, this, &TVoiceCommonEdit::redrawEnvelopes);
    connect(release, &NumberField::entered, this, &TVoiceCommonEdit::redrawEnvelopes);

    auto* aftertouch = new QVBoxLayout;
    aftertouch->setSpacing(0);
    aftertouch->addWidget(cbAftertouchAM);
    aftertouch->addWidget(cbAftertouchPM);
    aftertouch->addWidget(cbAftertouchLevel);
    aftertouch->addLayout(row({label("Pitch: "), tfAftertouchPitch, udAftertouchPitch}));
    auto* wheel = new QVBoxLayout;
    wheel->setSpacing(0);
    wheel->addWidget(cbModWheelAM);
    wheel->addWidget(cbModWheelPM);
    auto* effects = row({label("Type: "), cbFXType, label("  Depth: "), tfFXDepth, udFXDepth});
    auto* adjust = new QGridLayout;
    adjust->setSpacing(2);
    adjust->addWidget(label("Attack: "), 0, 0);
    adjust->addLayout(row({tfAttack, udAttack}), 0, 1);
    adjust->addWidget(label("Release: "), 1, 0);
    adjust->addLayout(row({tfRelease, udRelease}), 1, 1);

    auto* grid = new QGridLayout;
    grid->setSpacing(3);
    grid->addWidget(group(" Name ", row({tfVoiceName}), this), 0, 0);
    grid->addWidget(group(" Configuration ", row({cbVoiceConfig}), this), 1, 0);
    grid->addWidget(group(" Pitch bend ", row({tfBendRange, udBendRange}), this), 2, 0);
    grid->addWidget(group(" Aftertouch ", aftertouch, this), 0, 1, 3, 1);
    grid->addWidget(group(" Mod wheel ", wheel, this), 0, 2);
    grid->addWidget(group(" Global envelope adjust ", adjust, this), 1, 2, 2, 1);
    grid->addWidget(group(" Effects ", effects, this), 3, 0, 1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 4);
    layout->setSpacing(4);
    layout->addLayout(grid);
    auto* buttons = makeButtonColumn();
    buttons->insertSpacing(0, 8);
    layout->addLayout(buttons);

    setFixedSize(432, 208);
}

void TVoiceCommonEdit::setEnvelopeDrawers(EnvelopeDrawer* fmEdit, EnvelopeDrawer* awmEdit)
{
    fmDrawer_ = fmEdit;
    awmDrawer_ = awmEdit;
}

void TVoiceCommonEdit::refreshControls()
{
    const VoiceCommonParams& c = host_.voice().common;
    QString name;
    for (int i = 0; i < kNameLength && c.name[i] != '\0'; ++i) {
        const QChar ch = QChar::fromLatin1(c.name[i]);
        name += isNameCharacter(ch) ? ch : QLatin1Char(' ');
    }
    tfVoiceName->setText(name);
    cbVoiceConfig->setCurrentIndex(c.voiceConfig & 1);
    bendRange->show(c.bendRange);
    cbFXType->setCurrentIndex(c.effectType & 0x0F);
    fxDepth->show(c.effectDepth);
    attack->show(c.attack);
    release->show(c.release);
    aftertouchPitch->show(c.atPitch);
    cbAftertouchAM->setChecked(c.atAm != 0);
    cbAftertouchPM->setChecked(c.atPm != 0);
    cbAftertouchLevel->setChecked(c.atLevel != 0);
    cbModWheelAM->setChecked(c.wheelAm != 0);
    cbModWheelPM->setChecked(c.wheelPm != 0);
}

void TVoiceCommonEdit::tfVoiceNameChange()
{
    VoiceCommonParams& c = host_.voice().common;
    const QString text = tfVoiceName->text();
    for (int i = 0; i < kNameLength; ++i) {
        const QChar ch = i < text.size() ? text[i] : QLatin1Char(' ');
        c.name[i] = isNameCharacter(ch) ? static_cast<char>(ch.unicode()) : ' ';
    }
    c.nameTerminator = 0;
    sendIfReady();
}

void TVoiceCommonEdit::comboBoxChange(QComboBox* box, int index)
{
    VoiceCommonParams& c = host_.voice().common;
    if (box == cbVoiceConfig)
        c.voiceConfig = static_cast<std::uint8_t>(index);
    else
        c.effectType = static_cast<std::uint8_t>(index);
    sendIfReady();
}

void TVoiceCommonEdit::checkBoxChanged(QCheckBox* box, bool checked)
{
    VoiceCommonParams& c = host_.voice().common;
    const std::uint8_t value = checked ? 1 : 0;
    if (box == cbAftertouchAM)
        c.atAm = value;
    else if (box == cbAftertouchPM)
        c.atPm = value;
    else if (box == cbAftertouchLevel)
        c.atLevel = value;
    else if (box == cbModWheelAM)
        c.wheelAm = value;
    else
        c.wheelPm = value;
    sendIfReady();
}

void TVoiceCommonEdit::redrawEnvelopes()
{
    for (EnvelopeDrawer* drawer : {fmDrawer_, awmDrawer_})
        if (drawer != nullptr)
            drawer->drawEnvelope();
}

} // namespace morvane
