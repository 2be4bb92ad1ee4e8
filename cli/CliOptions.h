#pragma once
// veltronactl's command line: global options anywhere, the command's words, its own options.

#include "cli/ExitCode.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace veltrona::cli {

struct CliOptions {
    std::optional<std::string> platformRoot; // --platform-root DIR
    std::optional<std::string> admin;        // --admin NAME
    bool json = false;                       // --json
    bool help = false;                       // --help, -h
    bool version = false;                    // --version
    bool verbose = false;                    // --verbose: the tools' own error output too
    // The command and its arguments, in order ("users", "add", "alice").
    std::vector<std::string> words;
    // The command's own switches: --apply, --yes, --sign, --password-stdin, --serve, --passphrase-stdin.
    std::set<std::string> flags;
    std::optional<std::string> outputFile;  // -o FILE, --output FILE
    std::optional<std::string> bindAddress; // --bind ADDRESS (profile --serve)
};

struct ParsedOptions {
    CliOptions options;
    std::optional<Failure> error;
};

// Everything after "--" is a word. An unknown option, a missing value, or a password-looking
// option (passwords never come as arguments) is an error with exit code 1.
ParsedOptions parseCliOptions(const std::vector<std::string>& arguments);

// The usage text for --help.
std::string usageText();

} // namespace veltrona::cli
