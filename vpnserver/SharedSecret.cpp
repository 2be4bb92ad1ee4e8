#include "vpnserver/SharedSecret.h"

#include "foundation/PlistIO.h"
#include "platform/ShellWord.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/SharedSecretData.h"

#include <optional>

namespace veltrona {

namespace {

constexpr const char* kItem = "-a com.apple.ppp.L2TP -s com.apple.net.racoon";

void run(CommandRunner& runner, std::vector<std::string> arguments)
{
    runner.setArgs(std::move(arguments));
    runner.startProcessGetResult();
}

} // namespace

std::vector<std::string> deleteSharedSecretCommand(const PlatformPaths& platform)
{
    return {"/bin/sh", "-c",
            std::string("sudo security delete-generic-password ") + kItem + " "
                + shellWord(platform.map(kSystemKeychain))};
}

std::vector<std::string> addSharedSecretCommand(const PlatformPaths& platform, const std::string& secret)
{
    // A secret read back from the installed file may hold blanks, quotes or "$(": quoted, it still
    // reaches security as the one password word.
    return {"/bin/sh", "-c",
            std::string("sudo security add-generic-password ") + kItem + " -T /usr/sbin/racoon -p " + shellWord(secret)
                + " " + shellWord(platform.map(kSystemKeychain))};
}

std::vector<std::string> findSharedSecretCommand(const PlatformPaths& platform)
{
    return {"/bin/sh", "-c",
            std::string("sudo security find-generic-password ") + kItem + " -w "
                + shellWord(platform.map(kSystemKeychain))};
}

std::string storedSharedSecret(const PlatformPaths& platform, CommandRunner& runner)
{
    runner.setArgs(findSharedSecretCommand(platform));
    return runner.startProcessGetResult();
}

Status storeSharedSecret(const std::string& secret, const ServerFileLocations& locations, CommandRunner& runner)
{
    const PlatformPaths& platform = locations.platform();
    std::optional<PlistValue> root = readPlistDictionaryFile(locations.installedServerFile());
    // Deleting first would lose the secret for good when the add then fails: it is put back.
    const std::string old = storedSharedSecret(platform, runner);
    run(runner, deleteSharedSecretCommand(platform));
    if (!secret.empty())
        run(runner, addSharedSecretCommand(platform, secret));
    if (storedSharedSecret(platform, runner) != secret) {
        run(runner, deleteSharedSecretCommand(platform));
        if (!old.empty())
            run(runner, addSharedSecretCommand(platform, old));
        return Status::failure(3, kSharedSecretNotStored);
    }
    if (root)
        root->dictionary()->remove("SharedSecret");
    if (!secret.empty()) {
        if (root)
            root->dictionary()->set("SharedSecret", PlistValue(sharedSecretData(secret)));
    }
    if (!root)
        return Status::failure(2, "The installed server file cannot be read: " + locations.installedServerFile());
    return installServerFile(*root, locations, runner);
}

} // namespace veltrona
