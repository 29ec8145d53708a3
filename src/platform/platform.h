#pragma once

#include "platform/services.h"

#include <memory>

namespace calmora {

// Owns the real implementation of every platform service. This is the one
// place that chooses them for the operating system the program runs on.
class Platform final
{
public:
    Platform();
    ~Platform();
    Q_DISABLE_COPY_MOVE(Platform)

    Services services() const;

    // What a run without windows (the command line) needs, without the rest.
    static ProgramInfo runningProgram();
    static std::shared_ptr<FileSystem> fileSystem();
    // The settings of this program, named after its executable.
    static std::unique_ptr<SettingsStore> settingsStore();
    // The settings store's file: one running copy per user and file.
    static QString settingsFile();
    // Called once everything of the program's own has ended, before the
    // application object goes: ends the process at once where tearing down
    // the display connection can hang, and returns otherwise.
    static void endWhereTeardownHangs(int status);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace calmora
