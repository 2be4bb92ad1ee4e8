// veltronactl backup and restore (issue 19): a server moved whole to a fresh Mac, damaged files
// that change nothing, and accounts whose name or id another account holds.
#include "backup/BackupFile.h"
#include "backup/ServerBackup.h"
#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "platform/emulated/KeychainFile.h"
#include "tests/app/RootListing.h"
#include "tests/cli/CliMac.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPassphrase = "green ladder 7";
const std::string kServerFolder = "usr/local/quillfen/vpn";
const std::string kCertificate = "usr/local/quillfen/ssl/certs/vpn.example.org.crt";
const std::string kKey = "usr/local/quillfen/ssl/private/vpn.example.org.key";

std::string sharedSecret(const CliMac& mac)
{
    KeychainItems items;
    if (readKeychain(mac.root() / "Library/Keychains/System.keychain", items) != errSecSuccess)
        return "unreadable";
    const auto item = findKeychainItem(items, "com.apple.net.racoon", "com.apple.ppp.L2TP");
    return item == items.end() ? "" : std::string(item->data.begin(), item->data.end());
}

// Every attribute of a user record, its values as XML, independent of the order they were set in.
std::map<std::string, std::string> recordOf(const CliMac& mac, const std::string& name)
{
    std::map<std::string, std::string> attributes;
    const std::optional<Record> record = Directory(mac.root()).find(RecordType::Users, name).record;
    if (record) {
        for (const auto& [key, value] : record->attributes())
            attributes[key] = plistToXml(value);
    }
    return attributes;
}

// What a command may change on a Mac that it refuses to touch: its own authorization and the log.
std::map<std::string, std::string> stateOf(const CliMac& mac)
{
    std::map<std::string, std::string> listing = everyFileWithContents(mac.root());
    std::erase_if(listing, [](const auto& entry) {
        return entry.first.starts_with("var/run/authorization") || entry.first.starts_with("var/log");
    });
    return listing;
}

// A Mac serving vpn.example.org with a secret, two VPN accounts and signing material; the
// material holds every byte value, so a file that went through text would not survive.
void fillServer(const CliMac& mac)
{
    ASSERT_EQ(
        mac.run({"settings", "set", "host=vpn.example.org", "dns=192.168.1.1", "range=192.168.1.224-192.168.1.254"})
            .exitStatus,
        0);
    ASSERT_EQ(mac.run({"secret", "set"}, "Sesame42\n").exitStatus, 0);
    ASSERT_EQ(mac.run({"users", "add", "alice"}, "correct horse\n").exitStatus, 0);
    ASSERT_EQ(mac.run({"users", "add", "bob"}, "battery staple\n").exitStatus, 0);
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes.push_back(static_cast<char>(i));
    writeText(mac.root() / kCertificate, "certificate " + bytes);
    writeText(mac.root() / kKey, "key " + bytes);
}

ProcessRun backUp(const CliMac& mac, const fs::path& file)
{
    return mac.run({"backup", file.string(), "--passphrase-stdin"},
                   std::string(kPassphrase) + "\n" + kPassphrase + "\n");
}

TEST(CliBackup, FreshMacGetsTheServerWithItsPasswordsIdsSecretAndFiles)
{
    ASSERT_TRUE(CliMac::available())
        << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const CliMac old;
    fillServer(old);
    const TempDir place;
    const fs::path file = place.path() / "server backup.vbk";
    const ProcessRun backup = backUp(old, file);
    ASSERT_EQ(backup.exitStatus, 0) << backup.err;
    EXPECT_EQ(backup.out, "The server is backed up to " + file.string() + " (2 VPN accounts).\n");
    struct stat info { };
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
    EXPECT_EQ(readText(file).find("Sesame42"), std::string::npos);
    EXPECT_EQ(readText(file).find("alice"), std::string::npos);

    const CliMac fresh;
    const ProcessRun restore =
        fresh.run({"restore", file.string(), "--passphrase-stdin", "--yes"}, std::string(kPassphrase) + "\n");
    ASSERT_EQ(restore.exitStatus, 0) << restore.err;
    EXPECT_EQ(restore.out, "The server is restored with the VPN accounts alice, bob.\n");

    for (const auto& [name, password] : {std::pair{"alice", "correct horse"}, std::pair{"bob", "battery staple"}}) {
        EXPECT_TRUE(authenticateUser(Directory(fresh.root()), name, password, "").has_value()) << name;
        // Ids, hashes (the NT one MS-CHAPv2 checks too), shell and real name: the whole record.
        EXPECT_EQ(recordOf(fresh, name), recordOf(old, name)) << name;
        EXPECT_FALSE(recordOf(fresh, name).empty());
    }
    EXPECT_EQ(sharedSecret(fresh), "Sesame42");
    for (const std::string& name : folderEntries(old.root() / kServerFolder))
        EXPECT_EQ(readText(fresh.root() / kServerFolder / name), readText(old.root() / kServerFolder / name)) << name;
    EXPECT_EQ(folderEntries(fresh.root() / kServerFolder), folderEntries(old.root() / kServerFolder));
    EXPECT_EQ(readText(fresh.root() / kCertificate), readText(old.root() / kCertificate));
    EXPECT_EQ(readText(fresh.root() / kKey), readText(old.root() / kKey));
    EXPECT_EQ(fresh.installedHost(), "vpn.example.org");
    EXPECT_TRUE(fs::is_symlink(fresh.root() / "Library/LaunchDaemons/com.brantholm.vpn.plist"));

    // The restored Mac is served like the old one: the status shows what was backed up.
    const ProcessRun status = fresh.run({"status", "--json"});
    EXPECT_NE(status.out.find("\"sharedSecretSet\":true"), std::string::npos) << status.out;
    EXPECT_NE(status.out.find("\"accounts\":2"), std::string::npos) << status.out;

    // Back after a mistake: a changed password and secret are put back; the VPN account is replaced.
    ASSERT_EQ(fresh.run({"users", "passwd", "alice"}, "mistake\n").exitStatus, 0);
    ASSERT_EQ(fresh.run({"secret", "set"}, "Mistake1\n").exitStatus, 0);
    const ProcessRun again =
        fresh.run({"restore", file.string(), "--passphrase-stdin", "--yes"}, std::string(kPassphrase) + "\n");
    EXPECT_EQ(again.out, "The server is restored with the VPN accounts alice, bob.\n") << again.err;
    EXPECT_TRUE(authenticateUser(Directory(fresh.root()), "alice", "correct horse", "").has_value());
    EXPECT_EQ(recordOf(fresh, "alice"), recordOf(old, "alice"));
    EXPECT_EQ(sharedSecret(fresh), "Sesame42");
}

TEST(CliBackup, DamagedOrRefusedRestoresChangeNothingAndSayWhich)
{
    ASSERT_TRUE(CliMac::available())
        << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const CliMac old;
    fillServer(old);
    const TempDir place;
    const fs::path good = place.path() / "good.vbk";
    ASSERT_EQ(backUp(old, good).exitStatus, 0);
    const std::string bytes = readText(good);
    // Header: magic (16), version (2), scrypt cost (9), salt (16), nonce (12), length (8).
    const std::size_t header = 16 + 2 + 9 + 16 + 12 + 8;
    auto changed = [&](std::size_t at, char to) {
        std::string copy = bytes;
        copy[at] = to;
        return copy;
    };
    auto flipped = [&](std::size_t at) { return changed(at, static_cast<char>(bytes[at] ^ 0x01)); };

    // Sealed with the right passphrase, but holding what no backup of ours holds.
    auto sealed = [](const ServerBackup& contents) {
        return sealBackup(backupPayload(contents), kPassphrase, {10, 8, 1}).value_or("");
    };
    ServerBackup outside;
    outside.files["/usr/local/quillfen/vpn/../../../../../tmp/planted"] = "x";
    ServerBackup deeper;
    deeper.files["/usr/local/quillfen/ssl/private/sub/host.key"] = "x";
    ServerBackup climbing;
    climbing.accounts.push_back({"../groups/admin", {{"dsAttrTypeStandard:UniqueID", {"401"}}}});
    const std::string damaged = "The backup file is damaged: what it holds is no server backup.";

    const std::string wrong = "The passphrase is wrong or the backup file is damaged (the encryption cannot tell "
                              "these apart).";
    const std::string truncated = "The backup file is truncated: it ends before its data does.";
    struct Case {
        const char* what;
        std::string file;
        std::string passphrase;
        std::vector<std::string> flags;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"wrong passphrase", bytes, "green ladder 8", {"--yes"}, wrong},
        {"a flipped byte of the ciphertext", flipped(header + 40), kPassphrase, {"--yes"}, wrong},
        {"a flipped byte of the tag", flipped(bytes.size() - 1), kPassphrase, {"--yes"}, wrong},
        {"a flipped byte of the nonce in the header", flipped(16 + 2 + 9 + 16 + 3), kPassphrase, {"--yes"}, wrong},
        {"a byte appended", bytes + "x", kPassphrase, {"--yes"}, wrong},
        {"truncated in the data", bytes.substr(0, bytes.size() - 20), kPassphrase, {"--yes"}, truncated},
        {"truncated in the header", bytes.substr(0, 30), kPassphrase, {"--yes"}, truncated},
        {"a newer format",
         changed(17, 2),
         kPassphrase,
         {"--yes"},
         "The backup was made by a newer version of Veltrona (format 2); this version reads format 1 only."},
        {"not a backup",
         "<?xml version=\"1.0\"?><plist><dict/></plist>\n",
         kPassphrase,
         {"--yes"},
         "The file is not a Veltrona backup."},
        {"empty", "", kPassphrase, {"--yes"}, "The file is not a Veltrona backup."},
        {"a path leading out of the server's folders", sealed(outside), kPassphrase, {"--yes"}, damaged},
        {"a path below the key folder", sealed(deeper), kPassphrase, {"--yes"}, damaged},
        {"an account name leading out of the users", sealed(climbing), kPassphrase, {"--yes"}, damaged},
        {"sealed text that is no property list",
         sealBackup("plain text", kPassphrase, {10, 8, 1}).value_or(""),
         kPassphrase,
         {"--yes"},
         damaged},
        {"no confirmation", bytes, kPassphrase, {}, "Host: vpn.example.org\nType: L2TP\nVPN accounts: 2\nMade: "},
    };

    const CliMac target;
    ASSERT_EQ(target.run({"users", "add", "carol"}, "pw carol\n").exitStatus, 0);
    ASSERT_EQ(target.run({"secret", "set"}, "Other123\n").exitStatus, 0);
    const auto before = stateOf(target);
    for (const Case& c : cases) {
        const fs::path file = place.path() / "case.vbk";
        writeText(file, c.file);
        std::vector<std::string> arguments = {"restore", file.string(), "--passphrase-stdin"};
        arguments.insert(arguments.end(), c.flags.begin(), c.flags.end());
        const ProcessRun run = target.run(arguments, c.passphrase + "\n");
        EXPECT_EQ(run.exitStatus, 1) << c.what;
        EXPECT_TRUE(run.err.starts_with("veltronactl: " + c.message)) << c.what << ": " << run.err;
        EXPECT_EQ(changedEntries(before, stateOf(target)), std::vector<std::string>{}) << c.what;
    }
    const ProcessRun missing =
        target.run({"restore", (place.path() / "none.vbk").string(), "--passphrase-stdin", "--yes"}, "x\n");
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err,
              "veltronactl: The backup file cannot be read: " + (place.path() / "none.vbk").string() + "\n");
    EXPECT_EQ(changedEntries(before, stateOf(target)), std::vector<std::string>{});
    EXPECT_EQ(sharedSecret(target), "Other123");
}

// Users' ids: alice 401, bob 402, erin 403 on the old Mac; on the running new one an administrator is named alice
// and the VPN account dave already holds 402.
TEST(CliBackup, AccountsWhoseNameOrIdIsTakenAreSkippedAndNamed)
{
    ASSERT_TRUE(CliMac::available())
        << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const CliMac old;
    fillServer(old);
    ASSERT_EQ(old.run({"users", "add", "erin"}, "pw erin\n").exitStatus, 0);
    const TempDir place;
    const fs::path file = place.path() / "b.vbk";
    ASSERT_EQ(backUp(old, file).exitStatus, 0);

    const CliMac target;
    Directory directory(target.root());
    ASSERT_TRUE(directory
                    .update(
                        RecordType::Users, "alice",
                        [](Record& record) {
                            record.setValues("uid", {"502"});
                            record.setValues("realname", {"Alice Admin"});
                            record.setValues("passwd", {"admin pw"});
                            return Status::success();
                        },
                        true)
                    .ok());
    ASSERT_TRUE(directory
                    .update(RecordType::Groups, "admin",
                            [](Record& record) {
                                record.appendValues("users", {"alice"});
                                return Status::success();
                            })
                    .ok());
    const std::map<std::string, std::string> admin = recordOf(target, "alice");
    ASSERT_EQ(target.run({"users", "add", "carol"}, "pw carol\n").exitStatus, 0);
    ASSERT_EQ(target.run({"users", "add", "dave"}, "pw dave\n").exitStatus, 0);
    ASSERT_EQ(target.run({"start"}).exitStatus, 0);

    const ProcessRun restore =
        target.run({"restore", file.string(), "--passphrase-stdin", "--yes"}, std::string(kPassphrase) + "\n");
    EXPECT_EQ(restore.exitStatus, 0) << restore.err;
    EXPECT_EQ(restore.out, "The server is restored with the VPN accounts erin.\n"
                           "Skipped alice: the name is used by an account that is not a VPN account.\n"
                           "Skipped bob: its user id 402 is used by dave.\n"
                           "The VPN server is restarted.\n");
    EXPECT_TRUE(target.jobLoaded());
    EXPECT_EQ(recordOf(target, "alice"), admin);
    EXPECT_FALSE(target.hasUser("bob"));
    EXPECT_EQ(recordOf(target, "erin"), recordOf(old, "erin"));
    EXPECT_TRUE(authenticateUser(Directory(target.root()), "dave", "pw dave", "").has_value());
}

} // namespace
} // namespace veltrona::test
