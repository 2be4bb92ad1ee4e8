#include "accounts/ListedUser.h"

#include "foundation/PlistIO.h"

namespace veltrona {

namespace {

std::optional<std::string> firstValue(const PlistDictionary& record, std::string_view attribute)
{
    const PlistValue* value = record.find(attribute);
    const PlistArray* values = value ? value->array() : nullptr;
    if (values == nullptr || values->empty() || values->front().string() == nullptr)
        return std::nullopt;
    return *values->front().string();
}

} // namespace

std::optional<std::vector<ListedUser>> readListing(std::string_view text)
{
    const std::optional<PlistValue> root = parsePlist(text);
    const PlistArray* records = root ? root->array() : nullptr;
    if (records == nullptr)
        return std::nullopt;
    std::vector<ListedUser> users;
    users.reserve(records->size());
    for (const PlistValue& element : *records) {
        if (const PlistDictionary* record = element.dictionary()) {
            users.push_back({firstValue(*record, "dsAttrTypeStandard:RecordName"),
                             firstValue(*record, "dsAttrTypeStandard:RealName"),
                             firstValue(*record, "dsAttrTypeStandard:UniqueID"),
                             firstValue(*record, "dsAttrTypeStandard:UserShell")});
        }
    }
    return users;
}

} // namespace veltrona
