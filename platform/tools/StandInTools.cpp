#include "platform/tools/StandInTools.h"

#include <array>
#include <system_error>
#include <unistd.h>

namespace veltrona {

namespace {

struct StandInTool {
    const char* name;
    const char* place;
};

constexpr std::array<StandInTool, 8> kStandInTools{{
    {"launchctl", "bin/launchctl"},
    {"dscl", "usr/bin/dscl"},
    {"security", "usr/bin/security"},
    {"sudo", "usr/bin/sudo"},
    {"chown", "usr/sbin/chown"},
    {"vpnd", "usr/sbin/vpnd"},
    {"vpnsessions", "usr/sbin/vpnsessions"},
    {"loopback-bind.so", "usr/lib/vpnd/loopback-bind.so"},
}};

} // namespace

std::filesystem::path defaultStandInToolsFolder()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path("mac-tools") : exe.parent_path() / "mac-tools";
}

Status installStandInTools(const std::filesystem::path& root, const std::filesystem::path& toolsFolder,
                           std::vector<std::string>& notes)
{
    std::error_code ec;
    if (!std::filesystem::is_directory(root, ec))
        return Status::failure(1, root.string() + " is not a platform root.");
    for (const StandInTool& tool : kStandInTools) {
        const std::filesystem::path source = toolsFolder / tool.name;
        if (!std::filesystem::is_regular_file(source, ec)) {
            notes.push_back(std::string(tool.name) + " is not built yet; skipped.");
            continue;
        }
        const std::filesystem::path target = root / tool.place;
        std::filesystem::create_directories(target.parent_path(), ec);
        // Copy beside the target and rename over it: a running copy stays intact.
        const std::filesystem::path side = target.parent_path() / ("." + target.filename().string() + ".new");
        std::filesystem::remove(side, ec);
        if (!std::filesystem::copy_file(source, side, ec)) {
            const std::string reason = ec.message();
            std::filesystem::remove(side, ec);
            return Status::failure(1, "Cannot copy " + source.string() + ": " + reason);
        }
        std::filesystem::permissions(side, std::filesystem::perms(0755), ec);
        std::filesystem::rename(side, target, ec);
        if (ec) {
            const std::string reason = ec.message();
            std::filesystem::remove(side, ec);
            return Status::failure(1, "Cannot install " + target.string() + ": " + reason);
        }
    }
    return Status::success();
}

bool installStandInToolsReporting(const std::filesystem::path& root, std::string_view prefix, std::ostream& err)
{
    std::vector<std::string> notes;
    Status installed = installStandInTools(root, defaultStandInToolsFolder(), notes);
    for (const std::string& note : notes)
        err << prefix << ": " << note << "\n";
    if (!installed.ok())
        err << prefix << ": " << installed.message() << "\n";
    return installed.ok();
}

} // namespace veltrona
