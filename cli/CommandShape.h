#pragma once
// What each command accepts, checked before any password is asked for.

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"

#include <optional>

namespace veltrona::cli {

// Nothing when the words, switches and -o fit a known command; else why not (exit code 1).
std::optional<Failure> checkCommandShape(const CliOptions& options);

} // namespace veltrona::cli
