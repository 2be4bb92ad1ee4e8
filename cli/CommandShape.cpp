#include "cli/CommandShape.h"

#include <string_view>

namespace veltrona::cli {

namespace {

struct Shape {
    std::string_view command;
    std::string_view subcommand; // "" for none; "*" for a list of assignments
    std::size_t arguments;       // words after the command (and its subcommand)
    std::set<std::string> flags;
    bool output = false;
    std::string_view usage;
};

const Shape kShapes[] = {
    {"status", "", 0, {}, false, "status"},
    {"start", "", 0, {}, false, "start"},
    {"restart", "", 0, {}, false, "restart"},
    {"stop", "", 0, {}, false, "stop"},
    {"settings", "", 0, {}, false, "settings"},
    {"settings", "set", 0, {"--apply"}, false, "settings set KEY=VALUE... [--apply]"},
    {"secret", "set", 0, {}, false, "secret set"},
    {"users", "", 0, {}, false, "users"},
    {"users", "add", 1, {}, false, "users add NAME"},
    {"users", "passwd", 1, {}, false, "users passwd NAME"},
    {"users", "delete", 1, {"--yes"}, false, "users delete NAME --yes"},
    {"profile",
     "",
     1,
     {"--sign", "--password-stdin", "--serve"},
     true,
     "profile NAME [-o FILE] [--sign] [--password-stdin] | profile NAME --serve [--bind ADDRESS]"},
    {"suggest", "", 0, {}, false, "suggest"},
    {"check", "", 0, {}, false, "check"},
    {"check-update", "", 0, {}, false, "check-update"},
    {"sessions", "", 0, {}, false, "sessions"},
    {"sessions", "disconnect", 1, {}, false, "sessions disconnect NAME"},
    {"backup", "", 1, {"--passphrase-stdin"}, false, "backup FILE [--passphrase-stdin]"},
    {"restore", "", 1, {"--passphrase-stdin", "--yes"}, false, "restore FILE [--passphrase-stdin] [--yes]"},
    {"uninstall", "", 0, {"--yes"}, false, "uninstall --yes"},
};

std::optional<Failure> refuse(std::string message)
{
    return Failure{kRefused, std::move(message)};
}

} // namespace

std::optional<Failure> checkCommandShape(const CliOptions& options)
{
    const std::vector<std::string>& words = options.words;
    if (words.empty())
        return refuse("No command given. See veltronactl --help.");
    // The shape named by the command and its subcommand, else the command's plain shape.
    const Shape* match = nullptr;
    bool knownCommand = false;
    for (const Shape& shape : kShapes) {
        if (words[0] != shape.command)
            continue;
        knownCommand = true;
        if (!shape.subcommand.empty() && words.size() > 1 && words[1] == shape.subcommand)
            match = &shape;
        else if (shape.subcommand.empty() && match == nullptr)
            match = &shape;
    }
    if (match != nullptr) {
        const Shape& shape = *match;
        const std::size_t given = words.size() - (shape.subcommand.empty() ? 1 : 2);
        // "settings set" takes one or more assignments; the others an exact count.
        const bool countFits = shape.usage.starts_with("settings set") ? given >= 1 : given == shape.arguments;
        if (!countFits)
            return refuse("Usage: veltronactl " + std::string(shape.usage));
        for (const std::string& flag : options.flags) {
            if (!shape.flags.contains(flag))
                return refuse(flag + " does not go with " + std::string(shape.usage) + ".");
        }
        if (options.outputFile && !shape.output)
            return refuse("-o does not go with " + std::string(shape.usage) + ".");
        if (options.bindAddress && !options.flags.contains("--serve"))
            return refuse("--bind goes with profile NAME --serve only.");
        if (options.flags.contains("--serve")) {
            if (options.outputFile || options.flags.contains("--sign"))
                return refuse("profile NAME --serve offers the profile to a phone; it takes neither -o nor --sign "
                              "(it is signed whenever a certificate and key exist).");
            if (options.json)
                return refuse("--json does not go with profile NAME --serve, which prints as it waits.");
        }
        if (options.outputFile && options.flags.contains("--sign"))
            return refuse(
                "--sign signs the profile written to the Desktop; a profile written with -o is never signed.");
        return std::nullopt;
    }
    if (knownCommand)
        return refuse("Unknown use of " + words[0] + ". See veltronactl --help.");
    return refuse("Unknown command " + words[0] + ". See veltronactl --help.");
}

} // namespace veltrona::cli
