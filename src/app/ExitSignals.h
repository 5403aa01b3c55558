// SIGTERM, SIGINT and SIGHUP taken as a request to end the program the way
// "Exit" does, instead of dying on the spot with the settings unwritten and
// the ports left open. The handler only writes a byte into a pipe; the event
// loop reads it and does the rest.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

namespace morvane::exitsignals {

// Catches the signals from now on; main calls it first thing. A signal that
// comes before the event loop runs is acted on once it does.
void install();

// Calls `onSignal` on the calling (window) thread for each signal caught,
// for as long as the returned object lives. Without install() there is
// nothing to watch, and null is returned.
std::unique_ptr<QObject> watch(std::function<void()> onSignal);

} // namespace morvane::exitsignals
