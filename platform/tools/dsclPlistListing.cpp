#include "platform/tools/dsclPlistListing.h"

#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "foundation/RegularFile.h"
#include "platform/emulated/RecordAttributeNames.h"
#include "platform/tools/dsclFormat.h"
#include "platform/tools/dsclRecordScan.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona {

namespace {

namespace fs = std::filesystem;

// As large as the general reader accepts.
constexpr std::size_t kLargestRecordFile = 64 * 1024 * 1024;

using Values = std::optional<std::vector<std::string>>;

struct Listed {
    std::string firstName;
    std::vector<Values> shown; // one per column, in column order
};

// The attributes shown: every requested one and the record names, by full name.
struct Columns {
    std::vector<std::string> keys;      // native keys; "name" first, for the scanner
    std::vector<std::string> fullNames; // same order as keys
    std::vector<std::size_t> order;     // indexes into keys, sorted by full name
};

Columns columnsFor(const std::vector<std::string>& requested)
{
    Columns columns;
    columns.keys.push_back("name");
    for (const std::string& attribute : requested) {
        std::string key = nativeKeyForAttribute(attribute);
        if (std::find(columns.keys.begin(), columns.keys.end(), key) == columns.keys.end())
            columns.keys.push_back(std::move(key));
    }
    for (const std::string& key : columns.keys) {
        columns.fullNames.push_back(fullAttributeName(key));
        columns.order.push_back(columns.order.size());
    }
    std::sort(columns.order.begin(), columns.order.end(),
              [&](std::size_t a, std::size_t b) { return columns.fullNames[a] < columns.fullNames[b]; });
    return columns;
}

// A record file as the directory counts one: a regular file (or a link to one) named NAME.plist,
// not hidden, so side files of atomic writes are passed over.
bool isRecordFileName(std::string_view name)
{
    return name.size() > 6 && name.front() != '.' && name.ends_with(".plist");
}

bool namesValid(const Values& names)
{
    return names && !names->empty()
           && std::all_of(names->begin(), names->end(), [](const std::string& n) { return isValidRecordName(n); });
}

// Any record file the scanner cannot vouch for: read as the directory reads it, shown as -read shows it.
std::optional<Listed> readGenerally(std::string_view bytes, const Columns& columns,
                                    const std::vector<std::string>& requested)
{
    const std::optional<PlistValue> value = parsePlist(bytes);
    const std::optional<Record> record = value ? Record::fromPlist(*value) : std::nullopt;
    if (!record)
        return std::nullopt;
    const PlistDictionary shown = dsclRecordPlist(*record, requested, true);
    Listed listed{record->primaryName(), {}};
    for (const std::string& fullName : columns.fullNames) {
        const PlistValue* values = shown.find(fullName);
        listed.shown.push_back(values ? Values(stringsIn(values)) : std::nullopt);
    }
    return listed;
}

std::optional<Listed> readRecord(std::string_view bytes, const Columns& columns,
                                 const std::vector<std::string>& requested)
{
    if (auto scanned = scanRecordFile(bytes, columns.keys); scanned && namesValid((*scanned)[0])) {
        std::string firstName = (*scanned)[0]->front();
        return Listed{std::move(firstName), std::move(*scanned)};
    }
    return readGenerally(bytes, columns, requested);
}

void appendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out.push_back(c);
        }
    }
}

// Written in pieces: the listing of many records is megabytes that need not sit in memory at once.
void writeListingXml(std::ostream& stream, const std::vector<Listed>& records, const Columns& columns)
{
    constexpr std::size_t kPiece = 64 * 1024;
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    out.reserve(2 * kPiece);
    out += records.empty() ? "<array/>\n" : "<array>\n";
    for (const Listed& record : records) {
        out += "\t<dict>\n"; // never empty: the record names are always shown
        for (std::size_t column : columns.order) {
            const Values& values = record.shown[column];
            if (!values)
                continue;
            out += "\t\t<key>";
            appendEscaped(out, columns.fullNames[column]);
            out += "</key>\n";
            if (values->empty()) {
                out += "\t\t<array/>\n";
                continue;
            }
            out += "\t\t<array>\n";
            for (const std::string& value : *values) {
                out += "\t\t\t<string>";
                appendEscaped(out, value);
                out += "</string>\n";
            }
            out += "\t\t</array>\n";
        }
        out += "\t</dict>\n";
        if (out.size() >= kPiece) {
            stream << out;
            out.clear();
        }
    }
    if (!records.empty())
        out += "</array>\n";
    stream << out << "</plist>\n";
}

} // namespace

int dsclReadAllPlist(DsclContext& context)
{
    const std::vector<std::string>& requested = context.request.arguments;
    const Columns columns = columnsFor(requested);
    std::vector<Listed> records;
    std::vector<fs::path> unreadable;
    const fs::path folder = context.directory.recordFolder(context.path.type);
    if (DIR* listing = ::opendir(folder.c_str())) {
        const int folderFd = ::dirfd(listing);
        while (const dirent* entry = ::readdir(listing)) {
            if (!isRecordFileName(entry->d_name))
                continue;
            // Folders and other non-files named like records are no records, readable or not.
            struct stat info { };
            if (entry->d_type != DT_REG
                && (::fstatat(folderFd, entry->d_name, &info, 0) != 0 || !S_ISREG(info.st_mode)))
                continue;
            const std::optional<std::string> bytes = readRegularFileAt(folderFd, entry->d_name, kLargestRecordFile);
            std::optional<Listed> record = bytes ? readRecord(*bytes, columns, requested) : std::nullopt;
            if (record)
                records.push_back(std::move(*record));
            else
                unreadable.push_back(folder / entry->d_name);
        }
        ::closedir(listing);
    }
    // The directory's order: first names with letter case ignored, then byte for byte.
    std::sort(records.begin(), records.end(), [](const Listed& a, const Listed& b) {
        if (recordNameLess(a.firstName, b.firstName))
            return true;
        if (recordNameLess(b.firstName, a.firstName))
            return false;
        return a.firstName < b.firstName;
    });
    std::sort(unreadable.begin(), unreadable.end());
    for (const fs::path& file : unreadable)
        context.err << "dscl: skipping unreadable record file " << file.string() << "\n";
    writeListingXml(context.out, records, columns);
    return 0;
}

} // namespace veltrona
