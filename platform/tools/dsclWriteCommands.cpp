// dscl's writing commands: -create, -append/-merge, -delete, -change, -passwd.

#include "foundation/HexText.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/emulated/PasswordHash.h"
#include "platform/emulated/RecordAttributeNames.h"
#include "platform/tools/dsclCommands.h"

#include <algorithm>
#include <optional>

namespace veltrona {

namespace {

constexpr const char* kShadowHashAuthority =
    ";ShadowHash;HASHLIST:<SALTED-SHA512-PBKDF2,SRP-RFC5054-4096-SHA512-PBKDF2>";

Status setPassword(Record& record, std::string_view password)
{
    std::optional<PlistData> hash = makeShadowHashData(password);
    if (!hash)
        return directoryFailure(eDSPermissionError);
    record.setData("ShadowHashData", std::move(*hash));
    record.setValues("passwd", {"********"});
    const std::vector<std::string> authorities = record.values("authentication_authority");
    const bool shadow = std::any_of(authorities.begin(), authorities.end(),
                                    [](const std::string& a) { return a.find(";ShadowHash;") != std::string::npos; });
    if (!shadow)
        record.appendValues("authentication_authority", {kShadowHashAuthority});
    return Status::success();
}

// The passwd attribute never holds a password as text: anything but the markers "*" (no
// password) and "********" (see the shadow hash) is taken as a new password and hashed.
bool isPasswordText(std::string_view key, const std::vector<std::string>& values)
{
    return key == "passwd" && !values.empty() && std::any_of(values.begin(), values.end(), [](const std::string& v) {
               return v != "*" && v != "********";
           });
}

const std::string& firstPasswordText(const std::vector<std::string>& values)
{
    return *std::find_if(values.begin(), values.end(),
                         [](const std::string& v) { return v != "*" && v != "********"; });
}

// dscl shows ShadowHashData in hex; a value given back in that form is stored as the data it
// stands for, so a record read out can be written back with its hashes.
std::optional<PlistData> hashDataFromHex(std::string_view key, const std::vector<std::string>& values)
{
    if (key != "ShadowHashData" || values.size() != 1 || values[0].empty() || values[0].size() % 2 != 0)
        return std::nullopt;
    return bytesOfHex(values[0]);
}

bool needsRecord(DsclContext& context)
{
    if (!context.path.recordName.empty())
        return true;
    context.err << context.request.command << ": Invalid Path\n";
    return false;
}

int finish(DsclContext& context, const Status& status, DsclStatusLine line)
{
    if (status.ok())
        return 0;
    // A missing record is reported without the attribute line.
    if (status.code() == eDSRecordNotFound || status.code() == eDSInvalidRecordName
        || status.code() == eDSCorruptRecEntryData)
        line = DsclStatusLine::None;
    return dsclFailure(context.err, status, line);
}

} // namespace

int dsclCreate(DsclContext& context)
{
    if (!needsRecord(context))
        return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
    const std::vector<std::string>& arguments = context.request.arguments;
    Directory::Change change = [](Record&) { return Status::success(); };
    if (!arguments.empty()) {
        const std::string key = nativeKeyForAttribute(arguments.front());
        const std::vector<std::string> values(arguments.begin() + 1, arguments.end());
        change = [key, values](Record& record) {
            if (isPasswordText(key, values))
                return setPassword(record, firstPasswordText(values));
            if (std::optional<PlistData> hash = hashDataFromHex(key, values))
                record.setData(key, std::move(*hash));
            else
                record.setValues(key, values);
            return Status::success();
        };
    }
    Status status = context.directory.update(context.path.type, context.path.recordName, change, true);
    return finish(context, status, arguments.empty() ? DsclStatusLine::None : DsclStatusLine::Attribute);
}

int dsclAppend(DsclContext& context)
{
    if (!needsRecord(context))
        return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.size() < 2)
        return dsclUsage(context.err, context.request.command + ": a key and at least one value are needed");
    const std::string key = nativeKeyForAttribute(arguments.front());
    const std::vector<std::string> values(arguments.begin() + 1, arguments.end());
    const bool merge = context.request.command == "merge";
    Status status = context.directory.update(context.path.type, context.path.recordName, [&](Record& record) {
        if (isPasswordText(key, values))
            return setPassword(record, firstPasswordText(values));
        std::vector<std::string> added;
        const std::vector<std::string> present = record.values(key);
        for (const std::string& value : values) {
            if (!merge || std::find(present.begin(), present.end(), value) == present.end())
                added.push_back(value);
        }
        record.appendValues(key, added);
        return Status::success();
    });
    return finish(context, status, DsclStatusLine::Attribute);
}

int dsclDelete(DsclContext& context)
{
    if (!needsRecord(context))
        return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.empty()) {
        Status status = context.directory.remove(context.path.type, context.path.recordName);
        return status.ok()
                   ? 0
                   : dsclFailure(context.err, status,
                                 status.code() == eDSRecordNotFound ? DsclStatusLine::Delete : DsclStatusLine::None);
    }
    const std::string key = nativeKeyForAttribute(arguments.front());
    const std::vector<std::string> values(arguments.begin() + 1, arguments.end());
    Status status = context.directory.update(context.path.type, context.path.recordName, [&](Record& record) {
        if (!record.has(key))
            return directoryFailure(eDSAttributeNotFound);
        if (values.empty()) {
            record.removeKey(key);
            return Status::success();
        }
        for (const std::string& value : values) {
            if (!record.removeValue(key, value))
                return directoryFailure(eDSAttributeValueNotFound);
        }
        return Status::success();
    });
    return finish(context, status, DsclStatusLine::Attribute);
}

int dsclChange(DsclContext& context)
{
    if (!needsRecord(context))
        return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.size() != 3)
        return dsclUsage(context.err, "change: a key, the old value and the new value are needed");
    const std::string key = nativeKeyForAttribute(arguments[0]);
    Status status = context.directory.update(context.path.type, context.path.recordName, [&](Record& record) {
        const std::vector<std::string> present = record.values(key);
        if (std::find(present.begin(), present.end(), arguments[1]) == present.end())
            return directoryFailure(eDSAttributeValueNotFound);
        if (isPasswordText(key, {arguments[2]}))
            return setPassword(record, arguments[2]);
        record.replaceValue(key, arguments[1], arguments[2]);
        return Status::success();
    });
    return finish(context, status, DsclStatusLine::Attribute);
}

int dsclPasswd(DsclContext& context)
{
    if (!needsRecord(context))
        return dsclFailure(context.err, directoryFailure(eDSUnknownNodeName));
    const std::vector<std::string>& arguments = context.request.arguments;
    if (arguments.empty() || arguments.size() > 2)
        return dsclUsage(context.err, "passwd: give the new password, or the old and the new one");
    Status status = context.directory.update(context.path.type, context.path.recordName, [&](Record& record) {
        if (arguments.size() == 2 && !userPasswordMatches(record, arguments[0]))
            return directoryFailure(eDSAuthFailed);
        return setPassword(record, arguments.back());
    });
    return finish(context, status, DsclStatusLine::None);
}

} // namespace veltrona
