#include "profiles/ProfileExport.h"

#include "foundation/PlistIO.h"
#include "profiles/SigningKey.h"
#include "profiles/SigningMaterial.h"

#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

// The signed profile holds the password and the shared secret, and openssl runs as root. It
// writes into this empty file, made first owner-only and given to the Desktop's owner, so the
// profile is never readable by others, not even for a moment.
bool prepareSignedFile(const fs::path& path, const struct stat& desktop)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    // Only root may give a file away; any other user already is the owner.
    const bool given = ::fchown(fd, desktop.st_uid, desktop.st_gid) == 0 || ::geteuid() != 0;
    if (::close(fd) == 0 && given)
        return true;
    std::error_code ec;
    fs::remove(path, ec);
    return false;
}

// After openssl: still the file made above, owner-only, belonging to the Desktop's owner.
bool signedFileKeptPrivate(const fs::path& path, const struct stat& desktop)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info { };
    bool kept = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    if (kept && (info.st_mode & 077) != 0)
        kept = ::fchmod(fd, info.st_mode & 0700) == 0;
    if (kept && (info.st_uid != desktop.st_uid || info.st_gid != desktop.st_gid))
        kept = ::fchown(fd, desktop.st_uid, desktop.st_gid) == 0;
    ::close(fd);
    return kept;
}

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
    if (signingKeyState(material->key) == SigningKeyState::NeedsPassPhrase) {
        log.log("signing skipped: the key " + material->key + " needs a pass phrase");
        return ExportResult::KeyNeedsPassPhrase;
    }
    struct stat desktop { };
    if (::stat(folder.c_str(), &desktop) != 0) {
        log.log("signing failed: cannot read " + folder.string());
        return ExportResult::SigningFailed;
    }
    const fs::path signedPath = folder / signedProfileFileName(userName, vpnType);
    SignedFileAside earlier(signedPath);
    if (!earlier.clear()) {
        log.log("signing failed: cannot move aside " + signedPath.string());
        return ExportResult::SigningFailed;
    }
    if (!prepareSignedFile(signedPath, desktop)) {
        earlier.restore();
        log.log("signing failed: cannot make " + signedPath.string());
        return ExportResult::SigningFailed;
    }
    runner.setArgs({"/bin/sh", "-c", signingCommand(profilePath.string(), signedPath.string(), *material)});
    runner.startProcessGetResult();

    if (!hasContent(signedPath) || !signedFileKeptPrivate(signedPath, desktop)) {
        std::error_code ec;
        fs::remove(signedPath, ec);
        earlier.restore();
        log.log("signing failed: no private signed profile at " + signedPath.string());
        return ExportResult::SigningFailed;
    }
    earlier.keepNew();
    std::error_code ignored;
    fs::remove(profilePath, ignored);
    return ExportResult::Signed;
}

} // namespace veltrona
