#include "platform/emulated/SystemVersion.h"

#include "foundation/PlistIO.h"
#include "platform/PlatformRoot.h"

#include <system_error>

namespace veltrona {

std::filesystem::path systemVersionFile(const std::filesystem::path& platformRoot)
{
    return platformRoot / std::string_view(kSystemVersionFile).substr(1);
}

std::optional<SystemVersion> readSystemVersion(const std::filesystem::path& platformRoot)
{
    std::optional<PlistValue> plist = readPlistDictionaryFile(systemVersionFile(platformRoot));
    if (!plist)
        return std::nullopt;
    const PlistValue* version = plist->dictionary()->find("ProductVersion");
    const PlistValue* build = plist->dictionary()->find("ProductBuildVersion");
    if (!version || !version->string() || !build || !build->string())
        return std::nullopt;
    return SystemVersion{*version->string(), *build->string()};
}

Status writeSystemVersion(const std::filesystem::path& platformRoot, const SystemVersion& version)
{
    PlistDictionary plist;
    plist.set("ProductBuildVersion", version.productBuildVersion);
    plist.set("ProductCopyright", "1983-2016 Apple Inc.");
    plist.set("ProductName", "Mac OS X");
    plist.set("ProductUserVisibleVersion", version.productVersion);
    plist.set("ProductVersion", version.productVersion);
    const std::filesystem::path file = systemVersionFile(platformRoot);
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    return writePlistAtomically(plist, file, FileAccess::AsBefore, platformRoot);
}

std::string operatingSystemVersionString(const SystemVersion& version)
{
    return "Version " + version.productVersion + " (Build " + version.productBuildVersion + ")";
}

} // namespace veltrona
