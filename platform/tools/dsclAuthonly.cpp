// dscl -authonly: checks a user's password without changing anything, as a login would.

#include "platform/emulated/DirectoryAuthentication.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/tools/dsclCommands.h"

namespace veltrona {

int dsclAuthonly(DsclContext& context)
{
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.size() != 1)
        return dsclUsage(context.err, "authonly: give the user's name and password");
    const Directory::Lookup lookup = context.directory.find(RecordType::Users, context.path.recordName);
    if (!lookup.record)
        return dsclFailure(context.err, directoryFailure(eDSRecordNotFound));
    if (!userPasswordMatches(*lookup.record, arguments.front()))
        return dsclFailure(context.err, directoryFailure(eDSAuthFailed));
    return 0;
}

} // namespace veltrona
