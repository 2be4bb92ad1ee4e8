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

Status storeSharedSecret(const std::string& secret, const ServerFileLocations& locations, CommandRunner& runner)
{
    std::optional<PlistValue> root = readPlistDictionaryFile(locations.installedServerFile());
    run(runner, deleteSharedSecretCommand(locations.platform()));
    if (root)
        root->dictionary()->remove("SharedSecret");
    if (!secret.empty()) {
        run(runner, addSharedSecretCommand(locations.platform(), secret));
        if (root)
            root->dictionary()->set("SharedSecret", PlistValue(sharedSecretData(secret)));
    }
    if (!root)
        return Status::failure(2, "The installed server file cannot be read: " + locations.installedServerFile());
    return installServerFile(*root, locations, runner);
}

} // namespace veltrona
