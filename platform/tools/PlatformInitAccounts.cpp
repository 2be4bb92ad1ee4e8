#include "platform/tools/PlatformInitAccounts.h"

#include "foundation/Text.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/emulated/PasswordHash.h"

#include <array>

namespace veltrona {

namespace {

struct SystemUser {
    std::array<const char*, 2> names; // second name optional
    const char* id;
    const char* realName;
    const char* shell;
    const char* home;
};

constexpr std::array<SystemUser, 6> kSystemUsers{{
    {{"root", nullptr}, "0", "System Administrator", "/bin/sh", "/var/root"},
    {{"daemon", nullptr}, "1", "System Services", "/usr/bin/false", "/var/root"},
    {{"nobody", nullptr}, "-2", "Unprivileged User", "/usr/bin/false", "/var/empty"},
    {{"_www", nullptr}, "70", "World Wide Web Server", "/usr/bin/false", "/Library/WebServer"},
    {{"_amavisd", "amavisd"}, "83", "AMaViS Daemon", "/usr/bin/false", "/var/virusmails"},
    {{"_accessoryupdater", nullptr}, "278", "Accessory Update Daemon", "/usr/bin/false", "/var/db/accessoryupdater"},
}};

struct SystemGroup {
    std::array<const char*, 2> names;
    const char* id;
    const char* realName;
    bool rootIsMember;
};

constexpr std::array<SystemGroup, 7> kSystemGroups{{
    {{"wheel", nullptr}, "0", "System Group", true},
    {{"daemon", nullptr}, "1", "Daemon", true},
    {{"staff", nullptr}, "20", "Staff", true},
    {{"admin", nullptr}, "80", "Administrators", true},
    {{"nobody", nullptr}, "-2", "Unprivileged Users", false},
    {{"_www", nullptr}, "70", "World Wide Web Server", false},
    {{"_amavisd", "amavisd"}, "83", "AMaViS Daemon", false},
}};

std::vector<std::string> namesOf(const std::array<const char*, 2>& names)
{
    std::vector<std::string> list{names[0]};
    if (names[1])
        list.emplace_back(names[1]);
    return list;
}

} // namespace

bool isSystemAccountName(const std::string& name)
{
    for (const SystemUser& user : kSystemUsers) {
        for (const std::string& own : namesOf(user.names)) {
            if (recordNamesEqual(own, name))
                return true;
        }
    }
    return false;
}

Status writeSystemAccounts(Directory& directory)
{
    for (const SystemUser& user : kSystemUsers) {
        Record record;
        record.setValues("name", namesOf(user.names));
        record.setValues("uid", {user.id});
        record.setValues("gid", {user.id});
        record.setValues("realname", {user.realName});
        record.setValues("shell", {user.shell});
        record.setValues("home", {user.home});
        record.setValues("passwd", {"*"});
        record.setValues("generateduid", {uuidString()});
        if (Status stored = directory.store(RecordType::Users, record); !stored.ok())
            return stored;
    }
    for (const SystemGroup& group : kSystemGroups) {
        Record record;
        record.setValues("name", namesOf(group.names));
        record.setValues("gid", {group.id});
        record.setValues("realname", {group.realName});
        record.setValues("passwd", {"*"});
        record.setValues("generateduid", {uuidString()});
        if (group.rootIsMember)
            record.setValues("users", {"root"});
        if (Status stored = directory.store(RecordType::Groups, record); !stored.ok())
            return stored;
    }
    return Status::success();
}

Status writeAdministrator(Directory& directory, const std::string& name, const std::string& fullName,
                          const std::string& password)
{
    std::optional<PlistData> hash = makeShadowHashData(password);
    if (!hash)
        return Status::failure(1, "Cannot hash the administrator's password.");
    Record user;
    user.setValues("name", {name});
    user.setValues("realname", {fullName});
    user.setValues("uid", {"501"});
    user.setValues("gid", {"20"});
    user.setValues("shell", {"/bin/bash"});
    user.setValues("home", {"/Users/" + name});
    user.setValues("generateduid", {uuidString()});
    user.setValues("passwd", {"********"});
    user.setValues("authentication_authority",
                   {";ShadowHash;HASHLIST:<SALTED-SHA512-PBKDF2,SRP-RFC5054-4096-SHA512-PBKDF2>"});
    user.setData("ShadowHashData", std::move(*hash));
    if (Status stored = directory.store(RecordType::Users, user); !stored.ok())
        return stored;
    return directory.update(RecordType::Groups, "admin", [&](Record& group) {
        group.appendValues("users", {name});
        return Status::success();
    });
}

} // namespace veltrona
