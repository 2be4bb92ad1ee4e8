#include "handover/ServedProfile.h"

#include "foundation/RegularFile.h"
#include "profiles/ProfileExport.h"
#include "profiles/SigningMaterial.h"

#include <filesystem>

namespace veltrona {

namespace {

namespace fs = std::filesystem;

std::string reasonFor(ExportResult result)
{
    switch (result) {
    case ExportResult::KeyNeedsPassPhrase: return "the signing key needs a pass phrase";
    case ExportResult::SigningFailed: return "signing failed";
    case ExportResult::NoSigningMaterial: return "there is no certificate and key to sign with";
    default: return {};
    }
}

} // namespace

std::optional<ServedProfile> servedProfile(const PlistDictionary& profile, std::string_view userName,
                                           std::string_view vpnType, std::string_view host,
                                           const PlatformPaths& platform, const std::string& privateFolder,
                                           CommandRunner& runner, SystemLog& log)
{
    if (privateFolder.empty())
        return std::nullopt;
    const bool sign = signingPossible(platform, host);
    const ExportResult result =
        writeProfileAutomatically(profile, userName, vpnType, host, {privateFolder, platform, sign}, runner, log);
    const fs::path plain = fs::path(privateFolder) / profileFileName(userName, vpnType);
    const fs::path signedFile = fs::path(privateFolder) / signedProfileFileName(userName, vpnType);

    std::optional<ServedProfile> served;
    if (result != ExportResult::NotWritten) {
        const bool isSigned = result == ExportResult::Signed;
        if (std::optional<std::string> bytes = readRegularFile(isSigned ? signedFile : plain, 1 << 20))
            served = ServedProfile{std::move(*bytes), isSigned, sign && !isSigned ? reasonFor(result) : ""};
    }
    std::error_code ignored;
    fs::remove(plain, ignored);
    fs::remove(signedFile, ignored);
    return served;
}

} // namespace veltrona
