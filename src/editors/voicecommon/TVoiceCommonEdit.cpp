#include "TVoiceCommonEdit.h"

#include "EffectNames.h"
#include "NumberField.h"
#include "UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace morvane {

namespace {

constexpr int kNameLength = sizeof(VoiceCommonParams::name);

// The instrument shows printable 7-bit characters only: anything else is
// refused in the box and shown as a space.
bool isNameCharacter(QChar ch)
{
    return ch.unicode() >= 0x20 && ch.unicode() <= 0x7E;
}

} // namespace

TVoiceCommonEdit::TVoiceCommonEdit(EditorHost& host, QWidget* parent)
    : EditorWindow(host, QStringLiteral("VoiceCommonEdit"), QStringLiteral("Morvane - Voice common"), kHelpContext,
                   parent)
{
    auto common = [this]() -> VoiceCommonParams& { return host_.voice().common; };

    tfVoiceName = new QLineEdit(this);
    tfVoiceName->setObjectName(QStringLiteral("tfVoiceName"));
    tfVoiceName->setToolTip(QStringLiteral("Name of the voice"));
    tfVoiceName->setMaxLength(kNameLength);
    tfVoiceName->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[\\x20-\\x7E]{0,8}")), tfVoiceName));
    tfVoiceName->setFixedWidth(64);
    connect(tfVoiceName, &QLineEdit::textEdited, this, &TVoiceCommonEdit::tfVoiceNameChange);

    QWidget* cbVoiceConfig = list("cbVoiceConfig", itemsOf(kVoiceConfigNames),
                                  field([=]() -> auto& { return common().voiceConfig; }), kAsStored,
                                  "Sets the number of elements in this voice").widget();
    QWidget* cbFXType = list("cbFXType", itemsOf(kEffectNames), field([=]() -> auto& { return common().effectType; }),
                             kAsStored, "Selects the effect type").widget();
    auto checkBox = [&](const char* name, const char* text, auto locate, const char* tip) {
        return check(name, text, field(locate), tip).widget();
    };
    QWidget* cbAftertouchAM = checkBox("cbAftertouchAM", "Assign to AM", [=]() -> auto& { return common().atAm; },
                                       "Sets aftertouch to control tremolo");
    QWidget* cbAftertouchPM = checkBox("cbAftertouchPM", "Assign to PM", [=]() -> auto& { return common().atPm; },
                                       "Sets aftertouch to control vibrato");
    QWidget* cbAftertouchLevel = checkBox("cbAftertouchLevel", "Assign to level",
                                          [=]() -> auto& { return common().atLevel; },
                                          "Sets aftertouch to control volume");
    QWidget* cbModWheelAM = checkBox("cbModWheelAM", "Assign to AM", [=]() -> auto& { return common().wheelAm; },
                                     "Sets the modulation wheel to control tremolo");
    QWidget* cbModWheelPM = checkBox("cbModWheelPM", "Assign to PM", [=]() -> auto& { return common().wheelPm; },
                                     "Sets the modulation wheel to control vibrato");

    NumberField& fxDepth = number("tfFXDepth", "udFXDepth", field([=]() -> auto& { return common().effectDepth; }),
                                  kAsStored, std::nullopt, "Sets the amount of effect (0 to 7)");
    NumberField& bendRange = number("tfBendRange", "udBendRange",
                                    field([=]() -> auto& { return common().bendRange; }), kAsStored, std::nullopt,
                                    "Sets the maximum range of the pitch wheel in semitones (0 to 12)");
    NumberField& aftertouchPitch = number("tfAftertouchPitch", "udAftertouchPitch",
                                          field([=]() -> auto& { return common().atPitch; }), kAsStored, std::nullopt,
                                          "Sets the maximum aftertouch pitch bend in semitones (-12 to 12)");
    NumberField& attack = number("tfAttack", "udAttack", field([=]() -> auto& { return common().attack; }), kAsStored,
                                 std::nullopt, "Sets the amount by which to alter each element's attack rate (-64 to 63)");
    NumberField& release = number("tfRelease", "udRelease", field([=]() -> auto& { return common().release; }),
                                  kAsStored, std::nullopt,
                                  "Sets the amount by which to alter each element's release rate (-64 to 63)");
    connect(&attack, &BoundControl::entered, this, &TVoiceCommonEdit::redrawEnvelopes);
    connect(&release, &BoundControl::entered, this, &TVoiceCommonEdit::redrawEnvelopes);

    auto pair = [](NumberField& f) { return row({&f.box(), f.upDown()}); };
    auto* aftertouch = new QVBoxLayout;
    aftertouch->setSpacing(0);
    aftertouch->addWidget(cbAftertouchAM);
    aftertouch->addWidget(cbAftertouchPM);
    aftertouch->addWidget(cbAftertouchLevel);
    aftertouch->addLayout(row({label("Pitch: "), &aftertouchPitch.box(), aftertouchPitch.upDown()}));
    auto* wheel = new QVBoxLayout;
    wheel->setSpacing(0);
    wheel->addWidget(cbModWheelAM);
    wheel->addWidget(cbModWheelPM);
    auto* effects = row({label("Type: "), cbFXType, label("  Depth: "), &fxDepth.box(), fxDepth.upDown()});
    auto* adjust = new QGridLayout;
    adjust->setSpacing(2);
    adjust->addWidget(label("Attack: "), 0, 0);
    adjust->addLayout(pair(attack), 0, 1);
    adjust->addWidget(label("Release: "), 1, 0);
    adjust->addLayout(pair(release), 1, 1);

    auto* grid = new QGridLayout;
    grid->setSpacing(2);
    // The assignments' texts need the room; the captions of the other
    // columns set their least widths.
    grid->setColumnStretch(1, 1);
    grid->addWidget(group(" Name ", row({tfVoiceName}), this), 0, 0);
    grid->addWidget(group(" Configuration ", row({cbVoiceConfig}), this), 1, 0);
    grid->addWidget(group(" Pitch bend ", pair(bendRange), this), 2, 0);
    grid->addWidget(group(" Aftertouch ", aftertouch, this), 0, 1, 3, 1);
    grid->addWidget(group(" Mod wheel ", wheel, this), 0, 2);
    grid->addWidget(group(" Global envelope adjust ", adjust, this), 1, 2, 2, 1);
    grid->addWidget(group(" Effects ", effects, this), 3, 0, 1, 3);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(3, 0, 3, 4);
    layout->setSpacing(3);
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
    refreshBindings();
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
    sendIfReady("Voice name", "common.name");
}

void TVoiceCommonEdit::redrawEnvelopes()
{
    for (EnvelopeDrawer* drawer : {fmDrawer_, awmDrawer_})
        if (drawer != nullptr)
            drawer->drawEnvelope();
}

} // namespace morvane
