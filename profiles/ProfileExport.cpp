#include "profiles/ProfileExport.h"

#include "foundation/PlistIO.h"
#include "profiles/SigningMaterial.h"

#include <filesystem>

namespace veltrona {

namespace {

namespace fs = std::filesystem;

bool isFile(const fs::path& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// A file that exists and holds something; openssl leaves an empty one when signing fails midway.
bool hasContent(const fs::path& path)
{
    std::error_code ec;
    return isFile(path) && fs::file_size(path, ec) > 0 && !ec;
}

// Keeps an earlier signed profile out of the way while signing, so that only a file this run
// wrote counts as signed, and puts it back when signing fails.
class SignedFileAside {
public:
    explicit SignedFileAside(fs::path target)
        : target_(std::move(target)), aside_(target_.parent_path() / ("." + target_.filename().string() + ".previous"))
    {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(target_, ec))) {
            fs::rename(target_, aside_, ec);
            moved_ = !ec;
        }
    }
    bool clear() const
    {
        std::error_code ec;
        return !fs::exists(fs::symlink_status(target_, ec));
    }
    void keepNew()
    {
        std::error_code ec;
        if (moved_)
            fs::remove(aside_, ec);
        moved_ = false;
    }
    void restore()
    {
        std::error_code ec;
        if (moved_)
            fs::rename(aside_, target_, ec);
        moved_ = false;
    }

private:
    fs::path target_;
    fs::path aside_;
    bool moved_ = false;
};

} // namespace

std::string profileFileName(std::string_view userName, std::string_view vpnType)
{
    return std::string(userName) + "." + std::string(vpnType) + ".mobileconfig";
}

std::string signedProfileFileName(std::string_view userName, std::string_view vpnType)
{
    return "signed." + profileFileName(userName, vpnType);
}

Status saveProfile(const PlistDictionary& profile, const std::filesystem::path& path)
{
    return writePlistAtomically(profile, path, FileAccess::OwnerOnly);
}

std::string desktopFolder(const PlatformPaths& platform, std::string_view homeDirectory)
{
    return platform.map(std::string(homeDirectory) + "/Desktop");
}

ExportResult writeProfileAutomatically(const PlistDictionary& profile, std::string_view userName,
                                       std::string_view vpnType, std::string_view host,
                                       const AutomaticExport& destination, CommandRunner& runner, SystemLog& log)
{
    const fs::path folder = destination.desktopFolder;
    const fs::path profilePath = folder / profileFileName(userName, vpnType);
    const bool written = saveProfile(profile, profilePath).ok();
    if (!destination.sign)
        return written ? ExportResult::Written : ExportResult::NotWritten;
    if (!written || !isFile(profilePath)) {
        log.log("can't find file");
        return ExportResult::NotWritten;
    }

    const std::optional<SigningMaterial> material = findSigningMaterial(destination.platform, host);
    if (!material) {
        log.log("signing failed: no certificate and key for " + std::string(host));
        return ExportResult::NoSigningMaterial;
    }
    const fs::path signedPath = folder / signedProfileFileName(userName, vpnType);
    SignedFileAside earlier(signedPath);
    if (!earlier.clear()) {
        log.log("signing failed: cannot move aside " + signedPath.string());
        return ExportResult::SigningFailed;
    }
    runner.setArgs({"/bin/sh", "-c", signingCommand(profilePath.string(), signedPath.string(), *material)});
    runner.startProcessGetResult();

    if (!hasContent(signedPath)) {
        std::error_code ec;
        fs::remove(signedPath, ec);
        earlier.restore();
        log.log("signing failed: no signed profile at " + signedPath.string());
        return ExportResult::SigningFailed;
    }
    earlier.keepNew();
    std::error_code ignored;
    fs::remove(profilePath, ignored);
    return ExportResult::Signed;
}

} // namespace veltrona
