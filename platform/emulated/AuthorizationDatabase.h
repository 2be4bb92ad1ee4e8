#pragma once
// The emulated authorization database: the property list var/db/auth.plist of the platform root,
// {"rights": {NAME: rule dictionary}, "rules": {NAME: rule dictionary}}, as /etc/authorization was.

#include "foundation/PlistValue.h"
#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace veltrona {

class AuthorizationDatabase {
public:
    explicit AuthorizationDatabase(std::filesystem::path platformRoot);

    std::filesystem::path file() const;

    // The rule dictionary of a defined right; nothing when undefined or the file is unreadable.
    std::optional<PlistDictionary> right(std::string_view name) const;
    // A named rule a right of class "rule" refers to.
    std::optional<PlistDictionary> rule(std::string_view name) const;

    // Stores a right's definition under the lock. An unreadable database is not overwritten.
    Status setRight(std::string_view name, const PlistDictionary& definition);

    // A fresh database with the rules a right may refer to (setting up a root).
    Status writeDefaults();

private:
    std::optional<PlistDictionary> entry(std::string_view section, std::string_view name) const;
    std::filesystem::path root_;
};

} // namespace veltrona
