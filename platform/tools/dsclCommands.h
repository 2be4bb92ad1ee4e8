#pragma once
// The dscl sub-commands, one function each, sharing how failures are reported.

#include "foundation/Status.h"
#include "platform/emulated/Directory.h"
#include "platform/tools/dsclRequest.h"

#include <ostream>
#include <string>

namespace veltrona {

struct DsclContext {
    Directory& directory;
    const DsclRequest& request;
    DsclPath path;
    std::ostream& out;
    std::ostream& err;
};

// How a failure is announced before the DS Error line.
enum class DsclStatusLine { None, Attribute, Delete };

// Prints "<main> attribute status: ..." or "<main> delete status: ..." when asked, then
// "<dscl_cmd> DS Error: CODE (NAME)"; returns the exit status.
int dsclFailure(std::ostream& err, const Status& status, DsclStatusLine line = DsclStatusLine::None);
// A command line dscl does not accept: the message and the usage, exit status 64.
int dsclUsage(std::ostream& err, const std::string& message);

int dsclRead(DsclContext& context);
int dsclReadAll(DsclContext& context);
int dsclList(DsclContext& context);
int dsclCreate(DsclContext& context);
int dsclAppend(DsclContext& context);
int dsclDelete(DsclContext& context);
int dsclChange(DsclContext& context);
int dsclPasswd(DsclContext& context);
// Prints nothing and exits 0 when the user's password is the one given.
int dsclAuthonly(DsclContext& context);

} // namespace veltrona
