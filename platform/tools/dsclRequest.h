#pragma once
// dscl's command line: [-plist] DATASOURCE COMMAND PATH [ARGUMENTS...], and its record paths.

#include "platform/emulated/Directory.h"

#include <optional>
#include <string>
#include <vector>

namespace veltrona {

struct DsclRequest {
    bool plist = false;
    std::string command; // without a leading "-": "read", "readall", "list", "create", ...
    std::string path;
    std::vector<std::string> arguments; // what follows the path
};

// Nothing, with a message in `error`, when the line is not one dscl understands.
std::optional<DsclRequest> parseDsclRequest(const std::vector<std::string>& arguments, std::string& error);

// "/Users" or "/users/" (a record type) or "/Users/NAME" (a record).
struct DsclPath {
    RecordType type = RecordType::Users;
    std::string recordName; // empty for a record-type path
};

// Nothing for a path outside /Users and /Groups. A record name is returned as written; it is
// checked (no "/", "." or "..") by the directory.
std::optional<DsclPath> parseDsclPath(const std::string& path);

} // namespace veltrona
