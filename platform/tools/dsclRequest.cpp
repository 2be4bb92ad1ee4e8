#include "platform/tools/dsclRequest.h"

#include <array>
#include <string_view>

namespace veltrona {

namespace {

constexpr std::array<std::string_view, 10> kCommands{"read",  "readall", "list",   "create", "append",
                                                     "merge", "delete",  "change", "passwd", "authonly"};

bool isDataSource(const std::string& text)
{
    return text == "." || text == "localhost" || text == "/Local/Default";
}

} // namespace

std::optional<DsclRequest> parseDsclRequest(const std::vector<std::string>& arguments, std::string& error)
{
    DsclRequest request;
    std::size_t next = 0;
    while (next < arguments.size() && arguments[next] == "-plist") {
        request.plist = true;
        ++next;
    }
    if (next >= arguments.size()) {
        error = "Interactive mode is not available; give a data source and a command.";
        return std::nullopt;
    }
    if (!isDataSource(arguments[next])) {
        error = "Data source (" + arguments[next] + ") is not valid.";
        return std::nullopt;
    }
    ++next;
    if (next < arguments.size() && arguments[next] == "-plist") {
        request.plist = true;
        ++next;
    }
    if (next >= arguments.size()) {
        error = "Interactive mode is not available; give a command.";
        return std::nullopt;
    }
    std::string_view command = arguments[next++];
    if (!command.empty() && command.front() == '-')
        command.remove_prefix(1);
    bool known = false;
    for (std::string_view name : kCommands)
        known = known || name == command;
    if (!known) {
        error = "Invalid command: " + arguments[next - 1];
        return std::nullopt;
    }
    request.command = std::string(command);
    if (next >= arguments.size()) {
        error = request.command + ": Invalid Path";
        return std::nullopt;
    }
    request.path = arguments[next++];
    request.arguments.assign(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
    return request;
}

std::optional<DsclPath> parseDsclPath(const std::string& path)
{
    if (path.size() < 2 || path.front() != '/')
        return std::nullopt;
    std::string rest = path.substr(1);
    const std::size_t slash = rest.find('/');
    const std::string typeName = rest.substr(0, slash);
    std::optional<RecordType> type = recordTypeNamed(typeName);
    if (!type)
        return std::nullopt;
    DsclPath parsed;
    parsed.type = *type;
    if (slash != std::string::npos)
        parsed.recordName = rest.substr(slash + 1);
    // "/Users/" is the record type itself, "/Users/alice/" the record.
    while (!parsed.recordName.empty() && parsed.recordName.back() == '/')
        parsed.recordName.pop_back();
    return parsed;
}

} // namespace veltrona
