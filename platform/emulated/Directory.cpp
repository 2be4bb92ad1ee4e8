#include "platform/emulated/Directory.h"

#include "foundation/AtomicFile.h"
#include "foundation/PlistIO.h"
#include "foundation/Text.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/FolderLock.h"

#include <algorithm>
#include <system_error>

namespace veltrona {

namespace {

const char* folderName(RecordType type)
{
    return type == RecordType::Users ? "users" : "groups";
}

// Record files only: side files of atomic writes and hidden files are not records.
bool isRecordFile(const std::filesystem::directory_entry& entry)
{
    std::error_code ec;
    const std::string name = entry.path().filename().string();
    return entry.is_regular_file(ec) && name.size() > 6 && name.front() != '.' && entry.path().extension() == ".plist";
}

std::optional<Record> readRecord(const std::filesystem::path& file)
{
    std::optional<PlistValue> value = readPlistFile(file);
    if (!value)
        return std::nullopt;
    return Record::fromPlist(*value);
}

template <typename Visit> void forEachRecordFile(const std::filesystem::path& folder, Visit visit)
{
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isRecordFile(*it))
            visit(it->path());
    }
}

} // namespace

std::optional<RecordType> recordTypeNamed(std::string_view name)
{
    if (recordNamesEqual(name, "Users"))
        return RecordType::Users;
    if (recordNamesEqual(name, "Groups"))
        return RecordType::Groups;
    return std::nullopt;
}

Directory::Directory(std::filesystem::path platformRoot) : root_(std::move(platformRoot))
{
}

std::filesystem::path Directory::nodeFolder() const
{
    return root_ / "var/db/dslocal/nodes/Default";
}

std::filesystem::path Directory::recordFolder(RecordType type) const
{
    return nodeFolder() / folderName(type);
}

bool Directory::exists() const
{
    std::error_code ec;
    return std::filesystem::is_directory(nodeFolder(), ec);
}

Directory::Listing Directory::list(RecordType type) const
{
    Listing listing;
    forEachRecordFile(recordFolder(type), [&](const std::filesystem::path& file) {
        if (std::optional<Record> record = readRecord(file))
            listing.records.push_back(std::move(*record));
        else
            listing.unreadable.push_back(file);
    });
    // Names are compared once each into a key vector, so sorting stays O(n log n) on cheap moves.
    std::vector<std::pair<std::string, std::size_t>> order;
    order.reserve(listing.records.size());
    for (std::size_t i = 0; i < listing.records.size(); ++i)
        order.emplace_back(listing.records[i].primaryName(), i);
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        if (recordNameLess(a.first, b.first))
            return true;
        if (recordNameLess(b.first, a.first))
            return false;
        return a.first < b.first;
    });
    std::vector<Record> sorted;
    sorted.reserve(order.size());
    for (const auto& [name, index] : order)
        sorted.push_back(std::move(listing.records[index]));
    listing.records = std::move(sorted);
    std::sort(listing.unreadable.begin(), listing.unreadable.end());
    return listing;
}

Directory::Lookup Directory::find(RecordType type, std::string_view name) const
{
    Lookup lookup;
    if (!isValidRecordName(name)) {
        lookup.status = directoryFailure(eDSInvalidRecordName);
        return lookup;
    }
    // Fast path: records live in a file named after their first name.
    const std::filesystem::path direct = recordFolder(type) / (std::string(name) + ".plist");
    std::error_code ec;
    if (std::filesystem::is_regular_file(direct, ec)) {
        std::optional<Record> record = readRecord(direct);
        if (!record) {
            lookup.status = directoryFailure(eDSCorruptRecEntryData);
            lookup.file = direct;
            return lookup;
        }
        if (record->hasName(name)) {
            lookup.record = std::move(record);
            lookup.file = direct;
            return lookup;
        }
    }
    // Other spellings of the name and second record names ("amavisd" for "_amavisd").
    forEachRecordFile(recordFolder(type), [&](const std::filesystem::path& file) {
        if (lookup.record || !lookup.status.ok() || file == direct)
            return;
        std::optional<Record> record = readRecord(file);
        if (!record) {
            if (recordNamesEqual(file.stem().string(), name)) {
                lookup.status = directoryFailure(eDSCorruptRecEntryData);
                lookup.file = file;
            }
            return;
        }
        if (record->hasName(name)) {
            lookup.record = std::move(record);
            lookup.file = file;
        }
    });
    return lookup;
}

Status Directory::checkNamesFree(RecordType type, const Record& record, const std::filesystem::path& ownFile) const
{
    for (const std::string& name : record.names()) {
        Lookup other = find(type, name);
        if (!other.status.ok() && other.file != ownFile)
            return directoryFailure(eDSRecordAlreadyExists);
        if (other.record && other.file != ownFile)
            return directoryFailure(eDSRecordAlreadyExists);
    }
    return Status::success();
}

void Directory::makeRecordFolder(RecordType type) const
{
    std::error_code ec;
    std::filesystem::create_directories(recordFolder(type), ec);
    if (type == RecordType::Users)
        setModeNotFollowingLinks(recordFolder(type), 0700);
}

Status Directory::write(RecordType type, const Record& record, const std::filesystem::path& oldFile, bool replace)
{
    std::error_code ec;
    makeRecordFolder(type);
    const std::filesystem::path target = recordFolder(type) / (record.primaryName() + ".plist");
    // Never write over a file that holds some other record, readable or not.
    if (!replace && target != oldFile && std::filesystem::exists(target, ec))
        return directoryFailure(eDSRecordAlreadyExists);
    // User records hold password hashes, which dscl . -read would print to anyone.
    const FileAccess access = type == RecordType::Users ? FileAccess::OwnerOnly : FileAccess::AsBefore;
    if (!writePlistAtomically(record.attributes(), target, access, root_).ok())
        return directoryFailure(eDSPermissionError);
    // A renamed record moves to the file of its new first name.
    if (!oldFile.empty() && target != oldFile)
        std::filesystem::remove(oldFile, ec);
    return Status::success();
}

Status Directory::update(RecordType type, std::string_view name, const Change& change, bool create)
{
    if (!exists())
        return directoryFailure(eDSUnknownNodeName);
    FolderLock lock(nodeFolder());
    if (!lock.locked())
        return directoryFailure(eDSPermissionError);

    Lookup lookup = find(type, name);
    if (!lookup.status.ok())
        return lookup.status;
    Record record;
    if (lookup.record) {
        record = std::move(*lookup.record);
    } else if (create) {
        record.setValues("name", {std::string(name)});
        record.setValues("generateduid", {uuidString()});
    } else {
        return directoryFailure(eDSRecordNotFound);
    }

    // The names so far are the record's own (or, for a new record, just found free): only a
    // change of names needs the search for clashes.
    const std::vector<std::string> namesBefore = record.names();
    if (Status changed = change(record); !changed.ok())
        return changed;

    const std::vector<std::string> names = record.names();
    if (names.empty()
        || !std::all_of(names.begin(), names.end(), [](const std::string& n) { return isValidRecordName(n); }))
        return directoryFailure(eDSInvalidRecordName);
    if (names != namesBefore) {
        if (Status free = checkNamesFree(type, record, lookup.file); !free.ok())
            return free;
    }
    return write(type, record, lookup.file, false);
}

Status Directory::remove(RecordType type, std::string_view name)
{
    if (!exists())
        return directoryFailure(eDSUnknownNodeName);
    FolderLock lock(nodeFolder());
    if (!lock.locked())
        return directoryFailure(eDSPermissionError);
    Lookup lookup = find(type, name);
    if (!lookup.status.ok())
        return lookup.status;
    if (!lookup.record)
        return directoryFailure(eDSRecordNotFound);
    std::error_code ec;
    if (!std::filesystem::remove(lookup.file, ec))
        return directoryFailure(eDSPermissionError);
    return Status::success();
}

Status Directory::store(RecordType type, const Record& record)
{
    if (!isValidRecordName(record.primaryName()))
        return directoryFailure(eDSInvalidRecordName);
    makeRecordFolder(type);
    FolderLock lock(nodeFolder());
    if (!lock.locked())
        return directoryFailure(eDSPermissionError);
    return write(type, record, {}, true);
}

} // namespace veltrona
