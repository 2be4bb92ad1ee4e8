#include "platform/emulated/ProcessInfoEmulated.h"

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/SystemVersion.h"

#include <system_error>

namespace veltrona {

namespace {

// A home that climbs out with ".." would take the mapped path outside the platform root.
bool staysInside(const std::string& platformPath)
{
    if (platformPath.empty() || platformPath.front() != '/')
        return false;
    for (const auto& part : std::filesystem::path(platformPath)) {
        if (part == "..")
            return false;
    }
    return true;
}

std::string executableName()
{
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.filename().string();
}

} // namespace

std::filesystem::path loginWindowPreferencesFile(const std::filesystem::path& platformRoot)
{
    return platformRoot / "Library/Preferences/com.apple.loginwindow.plist";
}

Status recordCurrentUser(const std::filesystem::path& platformRoot, const std::string& userName)
{
    const std::filesystem::path file = loginWindowPreferencesFile(platformRoot);
    PlistDictionary preferences;
    if (std::optional<PlistValue> old = readPlistFile(file); old && old->dictionary())
        preferences = *old->dictionary();
    preferences.set("lastUserName", userName);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return writePlistAtomically(preferences, file, FileAccess::AsBefore, platformRoot);
}

ProcessInfoEmulated::ProcessInfoEmulated(PlatformPaths paths, std::string processName)
    : paths_(std::move(paths)), processName_(processName.empty() ? executableName() : std::move(processName))
{
}

std::string ProcessInfoEmulated::operatingSystemVersionString() const
{
    std::optional<SystemVersion> version = readSystemVersion(paths_.root());
    return version ? veltrona::operatingSystemVersionString(*version) : std::string();
}

std::string ProcessInfoEmulated::processName() const
{
    return processName_;
}

std::string ProcessInfoEmulated::userName() const
{
    std::optional<PlistValue> preferences = readPlistFile(loginWindowPreferencesFile(paths_.root()));
    if (!preferences || !preferences->dictionary())
        return {};
    const PlistValue* name = preferences->dictionary()->find("lastUserName");
    return name && name->string() && isValidRecordName(*name->string()) ? *name->string() : std::string();
}

std::string ProcessInfoEmulated::fullUserName() const
{
    const std::string name = userName();
    if (name.empty())
        return {};
    Directory::Lookup user = Directory(paths_.root()).find(RecordType::Users, name);
    std::optional<std::string> fullName = user.record ? user.record->firstValue("realname") : std::nullopt;
    return fullName && !fullName->empty() ? *fullName : name;
}

std::string ProcessInfoEmulated::homeDirectory() const
{
    const std::string name = userName();
    if (name.empty())
        return {};
    Directory::Lookup user = Directory(paths_.root()).find(RecordType::Users, name);
    std::optional<std::string> home = user.record ? user.record->firstValue("home") : std::nullopt;
    if (home && staysInside(*home))
        return *home;
    return "/Users/" + name;
}

} // namespace veltrona
