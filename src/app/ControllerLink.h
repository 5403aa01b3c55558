// The controller input: a second MIDI input, apart from the instrument's,
// whose control changes and pitch bends move the voice fields bound to them
// (ControllerMap). A move goes to the editor control that edits the field
// now, which moves as the user would move it: the field's range and shown
// form, one undo step per gesture (a run of moves of one field within the
// history's pause), the send through the paced path. The port's name and
// the bindings are kept with the settings.
#pragma once

#include "ControllerMap.h"
#include "MidiBackend.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

namespace morvane {

class AppServices;
class Settings;

class ControllerLink : public QObject {
    Q_OBJECT
public:
    using BackendFactory = std::function<std::unique_ptr<MidiBackend>()>;

    ControllerLink(Settings& settings, AppServices& services, QObject* parent = nullptr);
    ~ControllerLink() override;

    // Where the MIDI system for the controller input comes from; the first
    // use makes it.
    void setBackendFactory(BackendFactory factory);

    // The machine's MIDI inputs, to choose the controller input among.
    QStringList inputNames();
    // Opens the input of that name and keeps the choice; an empty name
    // closes it. False, with the reason in `problem`, when it cannot.
    bool open(const QString& name, QString& problem);
    // Opens the input kept in the settings, if any (at start-up).
    void openChosen();
    void close();
    const QString& openName() const { return openName_; }

    void learn(const std::string& path);
    void forget(const std::string& path);
    std::string controllerOf(const std::string& path) const;
    const ControllerMap& map() const { return map_; }

    // A move as it comes from the input, on the window thread.
    void take(const ControllerMove& move);

    // A place that is no voice field but can be learned the same way (the
    // morph pad's point: "morphPad.x", "morphPad.y"): its moves go to
    // `move` while one is set; an empty function takes it away again.
    void setTarget(const std::string& path, std::function<void(double)> move);

signals:
    // A controller was bound by learning: its text, and the field's place.
    void learned(const QString& controller, const QString& path);

private:
    Settings& settings_;
    AppServices& services_;
    BackendFactory factory_;
    std::unique_ptr<MidiBackend> backend_;
    QString openName_;
    ControllerMap map_;
    std::map<std::string, std::function<void(double)>> targets_;

    MidiBackend* backend();
    void keep();
    void moveUnshownField(const std::string& path, double fraction);
};

} // namespace morvane
