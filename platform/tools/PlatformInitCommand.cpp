// veltrona-platform init DIR --admin NAME [--full-name TEXT] [--os-version V] [--build B]

#include "platform/tools/PlatformCommands.h"
#include "platform/tools/PlatformInit.h"
#include "platform/tools/StandInTools.h"

#include <istream>
#include <optional>
#include <ostream>

namespace veltrona {

namespace {

// The value after an option; nothing when the option is last.
std::optional<std::string> optionValue(const std::vector<std::string>& arguments, std::size_t& index)
{
    if (index + 1 >= arguments.size())
        return std::nullopt;
    return arguments[++index];
}

} // namespace

int runInitCommand(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err)
{
    PlatformInitOptions options;
    bool haveRoot = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        std::string* target = nullptr;
        if (word == "--admin")
            target = &options.adminName;
        else if (word == "--full-name")
            target = &options.fullName;
        else if (word == "--os-version")
            target = &options.osVersion;
        else if (word == "--build")
            target = &options.build;
        if (target) {
            std::optional<std::string> value = optionValue(arguments, i);
            if (!value) {
                err << "veltrona-platform init: " << word << " needs a value.\n";
                return 64;
            }
            *target = *value;
        } else if (!haveRoot && (word.empty() || word.front() != '-')) {
            options.root = word;
            haveRoot = true;
        } else {
            err << "veltrona-platform init: unexpected argument \"" << word << "\".\n";
            return 64;
        }
    }
    if (!haveRoot || options.adminName.empty()) {
        err << "veltrona-platform init: give the root folder and --admin NAME.\n";
        return 64;
    }
    if (!std::getline(in, options.password)) {
        err << "veltrona-platform init: no password on standard input.\n";
        return 1;
    }

    if (Status made = initPlatformRoot(options); !made.ok()) {
        err << "veltrona-platform init: " << made.message() << "\n";
        return 1;
    }
    if (!installStandInToolsReporting(options.root, "veltrona-platform init", err))
        return 1;
    out << "Made the platform root " << options.root.string() << " with the administrator " << options.adminName
        << ".\n";
    return 0;
}

} // namespace veltrona
