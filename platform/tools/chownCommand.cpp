#include "platform/tools/chownCommand.h"

#include "platform/emulated/Directory.h"
#include "platform/tools/ToolOptions.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace veltrona {

namespace {

bool isNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// A name the directory knows, or a numeric id, which the Mac's chown takes as it stands.
bool known(const Directory& directory, RecordType type, const std::string& name)
{
    return isNumber(name) || directory.find(type, name).record.has_value();
}

} // namespace

int runChown(const std::vector<std::string>& arguments, const PlatformPaths& platform, std::ostream& err)
{
    const std::optional<ParsedOptions> parsed = parseOptions(arguments, "fhvRHLP");
    if (!parsed || parsed->operands.size() < 2) {
        err << kChownUsage;
        return 1;
    }
    const bool quiet = std::any_of(parsed->options.begin(), parsed->options.end(),
                                   [](const auto& option) { return option.first == 'f'; });

    const std::string& ownerAndGroup = parsed->operands.front();
    const std::size_t colon = ownerAndGroup.find(':');
    const std::string owner = ownerAndGroup.substr(0, colon);
    const std::string group = colon == std::string::npos ? std::string() : ownerAndGroup.substr(colon + 1);
    const Directory directory(platform.root());
    if (!owner.empty() && !known(directory, RecordType::Users, owner)) {
        err << "chown: " << owner << ": illegal user name\n";
        return 1;
    }
    if (colon != std::string::npos && !known(directory, RecordType::Groups, group)) {
        err << "chown: " << group << ": illegal group name\n";
        return 1;
    }

    int status = 0;
    for (auto file = parsed->operands.begin() + 1; file != parsed->operands.end(); ++file) {
        struct stat ignored { };
        if (::lstat(file->c_str(), &ignored) != 0) {
            if (!quiet)
                err << "chown: " << *file << ": " << std::strerror(errno) << "\n";
            status = 1;
        }
    }
    return status;
}

} // namespace veltrona
