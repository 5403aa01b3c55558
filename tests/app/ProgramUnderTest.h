// The whole program made by the start-up sequence for a window test: a
// settings store that makes it no first run, the library in the test's
// folder and an in-process MIDI system as the instrument; the machine's
// clock unless the test gives its own.
#pragma once

#include "AppShell.h"
#include "InProcessMidiBackend.h"
#include "MorvaneApplication.h"

#include <QApplication>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

namespace morvane::test {

inline std::unique_ptr<AppShell> startProgram(ModalHost& modal, const QTemporaryDir& dir, const QString& storePath,
                                              const char* channel, InProcessMidiBackend*& midi, Now now = {})
{
    {
        QSettings stored(storePath, QSettings::IniFormat);
        stored.setValue("MIDI Channel", channel);
    }
    auto shell = std::make_unique<AppShell>(*static_cast<MorvaneApplication*>(qApp), modal,
                                            std::make_unique<QSettings>(storePath, QSettings::IniFormat));
    shell->setMidiBackendFactory([&midi] {
        auto backend = std::make_unique<InProcessMidiBackend>(std::vector<std::string>{"Synth out"},
                                                              std::vector<std::string>{"Synth in"});
        midi = backend.get();
        return backend;
    });
    if (now)
        shell->setClock(std::move(now));
    shell->setLibraryPath(dir.filePath("SOUNDS.SYL").toStdString());
    shell->startUp();
    return shell;
}

// Ends a program made by startProgram, and removes its settings store and
// library so that the next test starts afresh.
inline void stopProgram(std::unique_ptr<AppShell>& shell, const QTemporaryDir& dir, const QString& storePath)
{
    shell->shutDown();
    shell.reset();
    QFile::remove(storePath);
    QFile::remove(dir.filePath("SOUNDS.SYL"));
}

} // namespace morvane::test
