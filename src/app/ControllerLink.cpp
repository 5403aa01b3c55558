#include "ControllerLink.h"

#include "AppServices.h"
#include "EditorWindow.h"
#include "Settings.h"

#include <QMetaObject>
#include <QPointer>

namespace morvane {

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
        if (const std::optional<ControllerMove> move = readControllerMessage(data, size))
            QMetaObject::invokeMethod(
                self.data(), [self, move = *move] { if (self) self->take(move); }, Qt::QueuedConnection);
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
    for (const AppServices::Editor& editor : services_.editors())
        if (editor.window->moveField(*path, move.fraction))
            return;
}

void ControllerLink::keep()
{
    settings_.controllerBindings.clear();
    for (const std::string& line : map_.save())
        settings_.controllerBindings << QString::fromStdString(line);
}

} // namespace morvane
