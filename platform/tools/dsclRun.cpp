#include "platform/tools/dsclRun.h"

#include "platform/emulated/DirectoryStatus.h"
#include "platform/tools/dsclCommands.h"

namespace veltrona {

namespace {

constexpr const char* kUsage =
    "Usage: dscl [-plist] <datasource> <command> <path> [<arguments>]\n"
    "  datasource: . (the local node)\n"
    "  commands: -read path [key ...]; -readall path [key ...]; -list path [key];\n"
    "            -create record_path [key [val ...]]; -append record_path key val ...;\n"
    "            -merge record_path key val ...; -delete path [key [val ...]];\n"
    "            -change record_path key old_val new_val; -passwd user_path [old_password] new_password\n"
    "            -authonly user_name password\n";

} // namespace

int dsclFailure(std::ostream& err, const Status& status, DsclStatusLine line)
{
    const char* name = directoryStatusName(status.code());
    if (line == DsclStatusLine::Attribute)
        err << "<main> attribute status: " << name << "\n";
    else if (line == DsclStatusLine::Delete)
        err << "<main> delete status: " << name << "\n";
    err << "<dscl_cmd> DS Error: " << status.code() << " (" << name << ")\n";
    return directoryExitStatus(status.code());
}

int dsclUsage(std::ostream& err, const std::string& message)
{
    err << message << "\n" << kUsage;
    return 64;
}

int runDscl(const std::vector<std::string>& arguments, const std::filesystem::path& platformRoot, std::ostream& out,
            std::ostream& err)
{
    std::string error;
    std::optional<DsclRequest> request = parseDsclRequest(arguments, error);
    if (!request)
        return dsclUsage(err, error);
    Directory directory(platformRoot);
    if (!directory.exists())
        return dsclFailure(err, directoryFailure(eDSUnknownNodeName));
    // Takes a user's name where the other commands take a record path.
    if (request->command == "authonly") {
        DsclContext context{directory, *request, {RecordType::Users, request->path}, out, err};
        return dsclAuthonly(context);
    }
    std::optional<DsclPath> path = parseDsclPath(request->path);
    if (!path) {
        err << request->command << ": Invalid Path\n";
        return dsclFailure(err, directoryFailure(eDSUnknownNodeName));
    }
    DsclContext context{directory, *request, *path, out, err};
    const std::string& command = request->command;
    if (command == "read")
        return dsclRead(context);
    if (command == "readall")
        return dsclReadAll(context);
    if (command == "list")
        return dsclList(context);
    if (command == "create")
        return dsclCreate(context);
    if (command == "append" || command == "merge")
        return dsclAppend(context);
    if (command == "delete")
        return dsclDelete(context);
    if (command == "change")
        return dsclChange(context);
    return dsclPasswd(context);
}

} // namespace veltrona
