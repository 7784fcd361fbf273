#pragma once
// Starting a downloaded program, detached from this one.
#include <QString>

namespace platform {

// Runs fileName with the parameters (split like a command line) in the current working
// folder, the way the shell's "open" verb runs a program. A regular file without the owner's
// execute permission gets it first: downloads arrive without permission bits. False when the
// file does not exist, is not a regular file, or the system cannot start it.
bool StartProgram(const QString& fileName, const QString& parameters);

} // namespace platform
