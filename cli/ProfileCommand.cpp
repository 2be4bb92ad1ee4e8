// profile NAME: a client profile for a listed VPN user, from the installed settings. To FILE as the
// save dialog writes it (never signed), else onto the Desktop as the window writes it after an
// account's password was typed, signed with --sign; with --serve, to a phone (ProfileServeCommand).
#include "cli/AccountView.h"
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "profiles/ProfileBuilder.h"
#include "profiles/ProfileExport.h"

#include <filesystem>

namespace veltrona::cli {

namespace {

Result desktopExport(Session& session, const ProfileBuild& build, const ProfileInput& input, bool sign)
{
    const AutomaticExport destination{desktopFolder(session.paths(), session.platform().processInfo->homeDirectory()),
                                      session.paths(), sign};
    const ExportResult result = writeProfileAutomatically(build.profile, input.userName, input.vpnType, input.host,
                                                          destination, session.runner(), session.log());
    const std::filesystem::path folder = destination.desktopFolder;
    const std::string plain = (folder / profileFileName(input.userName, input.vpnType)).string();
    const std::string signedFile = (folder / signedProfileFileName(input.userName, input.vpnType)).string();
    switch (result) {
    case ExportResult::Written: return done("Wrote " + plain, {{"file", plain}, {"signed", false}});
    case ExportResult::Signed: return done("Wrote " + signedFile, {{"file", signedFile}, {"signed", true}});
    case ExportResult::NoSigningMaterial:
        return failed(kRefused, "There is no certificate and key to sign with; the profile is unsigned: " + plain,
                      {{"file", plain}, {"signed", false}});
    case ExportResult::KeyNeedsPassPhrase:
        return failed(kRefused,
                      "The signing key needs a pass phrase, so it is not used; the profile is unsigned: " + plain,
                      {{"file", plain}, {"signed", false}});
    case ExportResult::SigningFailed:
        return failed(kPlatformFailed, "Signing failed; the profile is unsigned: " + plain,
                      {{"file", plain}, {"signed", false}});
    case ExportResult::NotWritten: break;
    }
    return failed(kPlatformFailed, "The profile could not be written to " + plain + ".");
}

} // namespace

Result profileCommand(Session& session, const CliOptions& options, InputLines& input)
{
    const std::string& name = options.words[1];
    const std::optional<std::vector<AccountRecord>> accounts = listVpnAccounts(session);
    if (!accounts)
        return failed(kPlatformFailed, kListingUnreadable);
    if (!isListedVpnUser(*accounts, name))
        return failed(kRefused, "There is no VPN user named " + name + ".");
    if (!isInstalled(session))
        return failed(kRefused, "The VPN server is not installed; start it first, so a profile has its settings.");

    std::optional<std::string> password;
    if (options.flags.contains("--password-stdin")) {
        password = input.next("Password for the profile: ");
        if (!password)
            return failed(kRefused, "No password was given on standard input.");
    }
    const ServerSettings settings = settingsToWrite(session);
    const ProfileInput profileInput{settings.type, settings.vpnHost, settings.sharedSecret, name, password};
    const ProfileBuild build = buildProfileFromTemplate(profileTemplatePath(session.resourceDirectory()), profileInput);
    if (!build.ok())
        return failed(kPlatformFailed,
                      "The profile template cannot be read: " + profileTemplatePath(session.resourceDirectory()));

    if (options.flags.contains("--serve"))
        return serveProfile(session, options, build, profileInput);
    if (!options.outputFile)
        return desktopExport(session, build, profileInput, options.flags.contains("--sign"));
    if (Status saved = saveProfile(build.profile, *options.outputFile); !saved)
        return failed(kRefused, "The profile could not be written to " + *options.outputFile + ": " + saved.message());
    return done("Wrote " + *options.outputFile, {{"file", *options.outputFile}, {"signed", false}});
}

} // namespace veltrona::cli
