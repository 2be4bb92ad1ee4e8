// veltrona-platform tools DIR: re-copies the stand-in tools after a rebuild.

#include "platform/PlatformRoot.h"
#include "platform/emulated/Directory.h"
#include "platform/tools/PlatformCommands.h"
#include "platform/tools/StandInTools.h"

#include <ostream>

namespace veltrona {

int runToolsCommand(const std::vector<std::string>& arguments, std::istream&, std::ostream&, std::ostream& err)
{
    if (arguments.size() != 1) {
        err << "veltrona-platform tools: give the root folder.\n";
        return 64;
    }
    ResolvedRoot resolved = resolvePlatformRoot(arguments.front());
    if (!resolved.status.ok()) {
        err << "veltrona-platform tools: " << resolved.status.message() << "\n";
        return 1;
    }
    // Only a made root: never scatter tools into some other folder.
    if (!Directory(resolved.root).exists()) {
        err << "veltrona-platform tools: " << resolved.root.string() << " is not a platform root.\n";
        return 1;
    }
    return installStandInToolsReporting(resolved.root, "veltrona-platform tools", err) ? 0 : 1;
}

} // namespace veltrona
