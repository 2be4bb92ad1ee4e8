#include "accounts/AccountListing.h"

#include "foundation/PlistIO.h"
#include "foundation/Text.h"

namespace veltrona {

namespace {

// The first value of an attribute, when it has one that is text.
const std::string* firstValue(const PlistDictionary& record, std::string_view attribute)
{
    const PlistValue* value = record.find(attribute);
    const PlistArray* values = value ? value->array() : nullptr;
    if (values == nullptr || values->empty())
        return nullptr;
    return values->front().string();
}

bool isVpnUser(const PlistDictionary& record)
{
    const std::string* uniqueId = firstValue(record, "dsAttrTypeStandard:UniqueID");
    const int id = uniqueId ? intValue(*uniqueId) : 0;
    if (id < kFirstVpnUserId || id > kLastVpnUserId)
        return false;
    const std::string* realName = firstValue(record, "dsAttrTypeStandard:RealName");
    return realName != nullptr && *realName == kVpnUserRealName;
}

} // namespace

std::vector<std::string> accountListingArguments()
{
    return {"/bin/sh", "-c", kAccountListingCommand};
}

std::optional<std::vector<AccountRecord>> parseAccountListing(std::string_view text)
{
    const std::optional<PlistValue> root = parsePlist(text);
    const PlistArray* records = root ? root->array() : nullptr;
    if (records == nullptr)
        return std::nullopt;
    std::vector<AccountRecord> accounts;
    for (const PlistValue& element : *records) {
        const PlistDictionary* record = element.dictionary();
        if (record == nullptr || !isVpnUser(*record))
            continue;
        const std::string* name = firstValue(*record, "dsAttrTypeStandard:RecordName");
        // A row without a name could only feed empty names to the account commands.
        if (name == nullptr || name->empty())
            continue;
        const std::string* shell = firstValue(*record, "dsAttrTypeStandard:UserShell");
        accounts.push_back({*name, shell && *shell == "/usr/bin/false" ? "1" : "0"});
    }
    return accounts;
}

std::vector<AccountRecord> loadVpnAccounts(CommandRunner& runner, SystemLog& log)
{
    runner.setArgs(accountListingArguments());
    std::optional<std::vector<AccountRecord>> accounts = parseAccountListing(runner.startProcessGetResult());
    if (!accounts) {
        log.log("can't read the account listing");
        return {};
    }
    return std::move(*accounts);
}

} // namespace veltrona
