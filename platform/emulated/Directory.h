#pragma once
// The emulated Mac's local directory node: one property list per record in
// var/db/dslocal/nodes/Default/users/NAME.plist and .../groups/NAME.plist of the platform root.
// Writes hold the node folder's lock and replace files atomically; a corrupt file never hides the others.

#include "foundation/Status.h"
#include "platform/emulated/Record.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace veltrona {

enum class RecordType { Users, Groups };

// "Users" or "Groups" in any letter case; anything else: nothing.
std::optional<RecordType> recordTypeNamed(std::string_view name);

class Directory {
public:
    explicit Directory(std::filesystem::path platformRoot);

    std::filesystem::path nodeFolder() const;
    std::filesystem::path recordFolder(RecordType type) const;
    // The node folder exists: the root has been set up.
    bool exists() const;

    struct Listing {
        std::vector<Record> records;                   // sorted by first name, letter case ignored
        std::vector<std::filesystem::path> unreadable; // record files that are not records
    };
    Listing list(RecordType type) const;

    struct Lookup {
        std::optional<Record> record;
        std::filesystem::path file;
        Status status; // eDSInvalidRecordName, or eDSCorruptRecEntryData when a corrupt file holds the name
    };
    // Finds a record by any of its names, letter case ignored.
    Lookup find(RecordType type, std::string_view name) const;

    // Under the lock: finds the record (with `create`, makes it when missing), applies the change
    // and writes the record back. A change that fails writes nothing.
    using Change = std::function<Status(Record&)>;
    Status update(RecordType type, std::string_view name, const Change& change, bool create = false);

    Status remove(RecordType type, std::string_view name);

    // Writes a whole record under its first name, replacing what is there (setting up a root).
    Status store(RecordType type, const Record& record);

private:
    // The users' folder is its owner's alone, as the records in it are.
    void makeRecordFolder(RecordType type) const;
    Status checkNamesFree(RecordType type, const Record& record, const std::filesystem::path& ownFile) const;
    Status write(RecordType type, const Record& record, const std::filesystem::path& oldFile, bool replace);

    std::filesystem::path root_;
};

} // namespace veltrona
