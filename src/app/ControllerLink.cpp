#include "ControllerLink.h"

#include "AppServices.h"
#include "EditorWindow.h"
#include "Settings.h"

#include "BoundControls.h"
#include "VoiceFields.h"
#include "VoiceTransforms.h"

#include <QMetaObject>
#include <QPointer>

#include <functional>

namespace morvane {

namespace {

// The named field at `path` ("elementA.pan") of a voice, with a way to set
// it; found by the same walk and the same names as findField.
struct FieldAt {
    FieldInfo info;
    std::string name;  // the last part of the path
    std::function<void(int)> set;
    std::function<int()> get;
};

struct PathSeeker : detail::PathVisitor {
    explicit PathSeeker(const std::string& wanted) : wanted(wanted) {}
    const std::string& wanted;
    std::optional<FieldAt> found;
    const void* address = nullptr;

    template <typename T>
    void take(const std::string& full, std::string_view name, T& value)
    {
        if (found || full != wanted)
            return;
        address = &value;
        found = FieldAt{{}, std::string(name), [&value](int v) { value = static_cast<T>(v); },
                        [&value] { return static_cast<int>(value); }};
    }
    template <typename T>
    void field(std::string_view name, T& value, int, int)
    {
        take(path + std::string(name), name, value);
    }
    void text(const char*, char*, std::size_t) {}
    template <typename T>
    void steps(std::string_view name, T* values, int count, int, int)
    {
        for (int i = 0; i < count; ++i)
            take(path + std::string(name) + "[" + std::to_string(i) + "]", name, values[i]);
    }
};

std::optional<FieldAt> fieldAt(VoiceParameters& voice, const std::string& path)
{
    PathSeeker seeker(path);
    visitVoice(voice, seeker);
    if (seeker.found)
        seeker.found->info = findField(voice, seeker.address);
    return seeker.found;
}

// The voice's envelopes by their places, for the peak stage a level decides.
struct EnvelopePlace {
    const char* prefix;
    EnvelopeParams& (*get)(VoiceParameters&);
};
constexpr EnvelopePlace kEnvelopes[] = {
    {"elementA.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementA.envelope; }},
    {"elementC.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementC.envelope; }},
    {"elementB.modulator.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementB.modulator.envelope; }},
    {"elementB.carrier.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementB.carrier.envelope; }},
    {"elementD.modulator.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementD.modulator.envelope; }},
    {"elementD.carrier.envelope.", [](VoiceParameters& v) -> EnvelopeParams& { return v.elementD.carrier.envelope; }},
};

} // namespace

ControllerLink::ControllerLink(Settings& settings, AppServices& services, QObject* parent)
    : QObject(parent), settings_(settings), services_(services)
{
    std::vector<std::string> lines;
    for (const QString& line : settings_.controllerBindings)
        lines.push_back(line.toStdString());
    map_.load(lines);
}

ControllerLink::~ControllerLink()
{
    close();
}

void ControllerLink::setBackendFactory(BackendFactory factory)
{
    close();
    backend_.reset();
    factory_ = std::move(factory);
}

MidiBackend* ControllerLink::backend()
{
    if (!backend_ && factory_)
        backend_ = factory_();
    return backend_.get();
}

QStringList ControllerLink::inputNames()
{
    QStringList names;
    if (MidiBackend* midi = backend())
        for (const std::string& name : midi->inputNames())
            names << QString::fromStdString(name);
    return names;
}

bool ControllerLink::open(const QString& name, QString& problem)
{
    close();
    settings_.controllerInName = name;
    if (name.isEmpty())
        return true;
    const int index = static_cast<int>(inputNames().indexOf(name));
    if (index < 0) {
        problem = QStringLiteral("The controller input \"%1\" is not connected.").arg(name);
        return false;
    }
    MidiBackend& midi = *backend();
    // The MIDI system's thread hands each move to the window thread; a move
    // that comes while the link goes away is dropped.
    QPointer<ControllerLink> self(this);
    midi.setChannelHandler([self](const std::uint8_t* data, std::size_t size) {
        const std::optional<ControllerMove> move = readControllerMessage(data, size);
        if (QObject* target = self.data(); move && target != nullptr)
            QMetaObject::invokeMethod(
                target, [self, move = *move] { if (self) self->take(move); }, Qt::QueuedConnection);
    });
    if (const MidiError error = midi.openInput(index, [](const std::uint8_t*, std::size_t) {})) {
        problem = QString::fromStdString(*error);
        midi.setChannelHandler(nullptr);
        return false;
    }
    openName_ = name;
    return true;
}

void ControllerLink::openChosen()
{
    QString problem;
    if (!settings_.controllerInName.isEmpty())
        open(settings_.controllerInName, problem);  // a controller not there now is no fault
}

void ControllerLink::close()
{
    if (backend_ && !openName_.isEmpty()) {
        backend_->closeInput();
        backend_->setChannelHandler(nullptr);
    }
    openName_.clear();
}

void ControllerLink::learn(const std::string& path)
{
    map_.learn(path);
}

void ControllerLink::forget(const std::string& path)
{
    if (map_.forget(path))
        keep();
}

std::string ControllerLink::controllerOf(const std::string& path) const
{
    const std::optional<ControllerId> id = map_.controllerOf(path);
    return id ? id->text() : std::string();
}

void ControllerLink::take(const ControllerMove& move)
{
    const bool learning = !map_.learning().empty();
    const std::optional<std::string> path = map_.take(move);
    if (!path)
        return;
    if (learning) {
        keep();
        emit learned(QString::fromStdString(move.id.text()), QString::fromStdString(*path));
    }
    if (const auto target = targets_.find(*path); target != targets_.end()) {
        target->second(move.fraction);
        return;
    }
    for (const AppServices::Editor& editor : services_.editors())
        if (editor.window->moveField(*path, move.fraction))
            return;
    moveUnshownField(*path, move.fraction);
}

void ControllerLink::setTarget(const std::string& path, std::function<void(double)> move)
{
    if (move)
        targets_[path] = std::move(move);
    else
        targets_.erase(path);
}

void ControllerLink::moveUnshownField(const std::string& path, double fraction)
{
    // No control edits the field now (its window shows another element): a
    // number is moved in the voice the same way, through the field's shown
    // form. A choice is left alone, as choosing a wave or an envelope type
    // in a window also sets other fields.
    VoiceParameters& voice = services_.voice();
    const std::optional<FieldAt> field = fieldAt(voice, path);
    if (!field || services_.comparing() || fieldKind(field->name, field->info.min, field->info.max) != FieldKind::Number)
        return;
    const ShownForm form = field->info.shown;
    const int a = form.shown(field->info.min), b = form.shown(field->info.max);
    const int stored = form.stored(positionAt(fraction, std::min(a, b), std::max(a, b)));
    if (stored == field->get())
        return;
    field->set(stored);
    for (const EnvelopePlace& envelope : kEnvelopes)
        if (path.rfind(envelope.prefix, 0) == 0 && field->name.ends_with("Level"))
            updatePeakStage(envelope.get(voice));
    services_.voiceEdited(field->info.words, path);
    if (services_.autoSend())
        services_.sendVoice();
    services_.refreshEditors();
}

void ControllerLink::keep()
{
    settings_.controllerBindings.clear();
    for (const std::string& line : map_.save())
        settings_.controllerBindings << QString::fromStdString(line);
}

} // namespace morvane
