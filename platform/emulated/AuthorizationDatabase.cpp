#include "platform/emulated/AuthorizationDatabase.h"

#include "foundation/PlistIO.h"
#include "platform/FolderLock.h"

#include <system_error>

namespace veltrona {

namespace {

PlistDictionary ruleOf(const char* ruleClass, const char* group = nullptr)
{
    PlistDictionary rule;
    rule.set("class", ruleClass);
    if (group)
        rule.set("group", group);
    return rule;
}

} // namespace

AuthorizationDatabase::AuthorizationDatabase(std::filesystem::path platformRoot) : root_(std::move(platformRoot))
{
}

std::filesystem::path AuthorizationDatabase::file() const
{
    return root_ / "var/db/auth.plist";
}

std::optional<PlistDictionary> AuthorizationDatabase::entry(std::string_view section, std::string_view name) const
{
    std::optional<PlistValue> database = readPlistDictionaryFile(file());
    if (!database)
        return std::nullopt;
    const PlistValue* entries = database->dictionary()->find(section);
    if (!entries || !entries->dictionary())
        return std::nullopt;
    const PlistValue* found = entries->dictionary()->find(name);
    if (!found || !found->dictionary())
        return std::nullopt;
    return *found->dictionary();
}

std::optional<PlistDictionary> AuthorizationDatabase::right(std::string_view name) const
{
    return entry("rights", name);
}

std::optional<PlistDictionary> AuthorizationDatabase::rule(std::string_view name) const
{
    return entry("rules", name);
}

Status AuthorizationDatabase::setRight(std::string_view name, const PlistDictionary& definition)
{
    FolderLock lock(file().parent_path());
    if (!lock.locked())
        return Status::failure(1, "Cannot lock " + file().parent_path().string() + ".");
    PlistDictionary database;
    std::error_code ec;
    if (std::filesystem::exists(file(), ec)) {
        std::optional<PlistValue> old = readPlistFile(file());
        if (!old || !old->dictionary())
            return Status::failure(1, "The authorization database " + file().string() + " is unreadable.");
        database = *old->dictionary();
    }
    PlistValue* rights = database.find("rights");
    if (!rights || !rights->dictionary()) {
        database.set("rights", PlistDictionary());
        rights = database.find("rights");
    }
    rights->dictionary()->set(std::string(name), definition);
    return writePlistAtomically(database, file(), FileAccess::AsBefore, root_);
}

Status AuthorizationDatabase::writeDefaults()
{
    PlistDictionary rights;
    rights.set("system.privilege.admin", ruleOf("user", "admin"));
    PlistDictionary rules;
    rules.set("allow", ruleOf("allow"));
    rules.set("deny", ruleOf("deny"));
    rules.set("authenticate-admin", ruleOf("user", "admin"));
    rules.set("default", ruleOf("user", "admin"));
    PlistDictionary database;
    database.set("rights", rights);
    database.set("rules", rules);
    std::error_code ec;
    std::filesystem::create_directories(file().parent_path(), ec);
    return writePlistAtomically(database, file(), FileAccess::AsBefore, root_);
}

} // namespace veltrona
