#include "platform/tools/PlatformInit.h"

#include "foundation/AtomicFile.h"
#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationDatabase.h"
#include "platform/emulated/AuthorizationLiveForms.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/ProcessInfoEmulated.h"
#include "platform/emulated/SystemVersion.h"
#include "platform/tools/PlatformInitAccounts.h"

#include <array>
#include <sys/stat.h>
#include <system_error>

namespace veltrona {

namespace {

constexpr std::array<const char*, 19> kSystemFolders{
    "System/Library/CoreServices",
    "Library/LaunchDaemons",
    "Library/Preferences/SystemConfiguration",
    "Library/Keychains",
    "Library/WebServer",
    "usr/local",
    "usr/bin",
    "usr/sbin",
    "bin",
    "sbin",
    "Users/Shared",
    "var/db/dslocal/nodes/Default/users",
    "var/db/dslocal/nodes/Default/groups",
    "var/db/com.apple.xpc.launchd",
    "var/root",
    "var/empty",
    "var/log",
    "var/run",
    "private/tmp",
};

constexpr std::array<const char*, 3> kHomeFolders{"Desktop", "Library/Preferences", "Library/Keychains"};

Status checkOptions(const PlatformInitOptions& options)
{
    if (!isValidRecordName(options.adminName) || options.adminName.front() == '-')
        return Status::failure(1, "The administrator's name \"" + options.adminName + "\" cannot be a record name.");
    if (isSystemAccountName(options.adminName))
        return Status::failure(1, "The name \"" + options.adminName + "\" belongs to a system account.");
    if (options.password.empty())
        return Status::failure(1, "The administrator's password is empty.");
    if (options.osVersion.empty() || options.build.empty())
        return Status::failure(1, "The OS version and build cannot be empty.");
    return Status::success();
}

Status makeFolders(const std::filesystem::path& root, const std::string& admin)
{
    std::error_code ec;
    for (const char* folder : kSystemFolders) {
        if (!std::filesystem::create_directories(root / folder, ec) && ec)
            return Status::failure(1, "Cannot create " + (root / folder).string() + ": " + ec.message());
    }
    for (const char* folder : kHomeFolders) {
        if (!std::filesystem::create_directories(root / "Users" / admin / folder, ec) && ec)
            return Status::failure(1, "Cannot create the administrator's home: " + ec.message());
    }
    AuthorizationLiveForms forms(root);
    std::filesystem::create_directories(forms.folder(), ec);
    if (ec || !setModeNotFollowingLinks(forms.folder(), 0700))
        return Status::failure(1, "Cannot create " + forms.folder().string() + ".");
    return Status::success();
}

Status populate(const PlatformInitOptions& options, const std::filesystem::path& root)
{
    if (Status made = makeFolders(root, options.adminName); !made.ok())
        return made;
    if (Status written = writeSystemVersion(root, {options.osVersion, options.build}); !written.ok())
        return written;
    Directory directory(root);
    if (Status written = writeSystemAccounts(directory); !written.ok())
        return Status::failure(1, "Cannot write the system accounts: " + written.message());
    const std::string fullName = options.fullName.empty() ? options.adminName : options.fullName;
    if (Status written = writeAdministrator(directory, options.adminName, fullName, options.password); !written.ok())
        return Status::failure(1, "Cannot write the administrator's account: " + written.message());
    if (Status written = AuthorizationDatabase(root).writeDefaults(); !written.ok())
        return written;
    return recordCurrentUser(root, options.adminName);
}

} // namespace

Status initPlatformRoot(const PlatformInitOptions& options)
{
    ResolvedRoot resolved = resolvePlatformRoot(options.root.string());
    if (!resolved.status.ok())
        return resolved.status;
    const std::filesystem::path& root = resolved.root;
    if (Status checked = checkOptions(options); !checked.ok())
        return checked;

    std::error_code ec;
    const bool existed = std::filesystem::exists(root, ec);
    if (existed && (!std::filesystem::is_directory(root, ec) || !std::filesystem::is_empty(root, ec)))
        return Status::failure(1, root.string() + " already exists and is not empty.");
    if (!existed && !std::filesystem::create_directories(root, ec))
        return Status::failure(1, "Cannot create " + root.string() + ": " + ec.message());

    Status populated = populate(options, root);
    if (!populated.ok()) {
        // Take back everything made here; the folder itself only when it was made here too.
        for (const auto& entry : std::filesystem::directory_iterator(root, ec))
            std::filesystem::remove_all(entry.path(), ec);
        if (!existed)
            std::filesystem::remove(root, ec);
    }
    return populated;
}

} // namespace veltrona
