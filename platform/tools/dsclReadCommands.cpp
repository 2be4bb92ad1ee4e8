// dscl's reading commands: -read, -readall, -list.

#include "foundation/PlistIO.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/emulated/RecordAttributeNames.h"
#include "platform/tools/dsclCommands.h"
#include "platform/tools/dsclFormat.h"
#include "platform/tools/dsclPlistListing.h"

#include <algorithm>

namespace veltrona {

namespace {

Directory::Listing listWithWarnings(DsclContext& context)
{
    Directory::Listing listing = context.directory.list(context.path.type);
    // A corrupt file costs only its own record.
    for (const std::filesystem::path& file : listing.unreadable)
        context.err << "dscl: skipping unreadable record file " << file.string() << "\n";
    return listing;
}

int invalidPath(DsclContext& context)
{
    context.err << context.request.command << ": Invalid Path\n";
    return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
}

} // namespace

int dsclRead(DsclContext& context)
{
    if (context.path.recordName.empty())
        return invalidPath(context);
    Directory::Lookup lookup = context.directory.find(context.path.type, context.path.recordName);
    if (!lookup.status.ok())
        return dsclFailure(context.err, lookup.status);
    if (!lookup.record)
        return dsclFailure(context.err, directoryFailure(eDSRecordNotFound));
    if (context.request.plist)
        context.out << plistToXml(dsclRecordPlist(*lookup.record, context.request.arguments, false));
    else
        context.out << dsclReadText(*lookup.record, context.request.arguments, false);
    return 0;
}

int dsclReadAll(DsclContext& context)
{
    if (!context.path.recordName.empty())
        return invalidPath(context);
    // The account list's reload asks for this one, over every user.
    if (context.request.plist && !context.request.arguments.empty())
        return dsclReadAllPlist(context);
    Directory::Listing listing = listWithWarnings(context);
    if (context.request.plist) {
        PlistArray records;
        records.reserve(listing.records.size());
        for (const Record& record : listing.records)
            records.emplace_back(dsclRecordPlist(record, context.request.arguments, true));
        context.out << plistToXml(records);
        return 0;
    }
    for (std::size_t i = 0; i < listing.records.size(); ++i) {
        if (i > 0)
            context.out << "-\n";
        context.out << dsclReadText(listing.records[i], context.request.arguments, true);
    }
    return 0;
}

int dsclList(DsclContext& context)
{
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.size() > 1)
        return dsclUsage(context.err, "list: Too many arguments");
    if (!context.path.recordName.empty()) {
        // A record's listing is its attribute names.
        Directory::Lookup lookup = context.directory.find(context.path.type, context.path.recordName);
        if (!lookup.status.ok())
            return dsclFailure(context.err, lookup.status);
        if (!lookup.record)
            return dsclFailure(context.err, directoryFailure(eDSRecordNotFound));
        std::vector<std::string> names;
        for (const auto& [key, value] : lookup.record->attributes())
            names.push_back(displayAttributeName(key));
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            context.out << name << "\n";
        return 0;
    }
    Directory::Listing listing = listWithWarnings(context);
    std::optional<std::string> key;
    if (!arguments.empty())
        key = nativeKeyForAttribute(arguments.front());
    context.out << dsclListText(listing.records, key);
    return 0;
}

} // namespace veltrona
