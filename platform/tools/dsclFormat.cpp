#include "platform/tools/dsclFormat.h"

#include "foundation/HexText.h"
#include "platform/emulated/RecordAttributeNames.h"

#include <algorithm>
#include <set>

namespace veltrona {

namespace {

std::size_t characterCount(const std::string& text)
{
    // UTF-8 continuation bytes do not start a character.
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void appendShown(const PlistValue& value, std::vector<std::string>& shown)
{
    if (const std::string* text = value.string())
        shown.push_back(*text);
    else if (const PlistData* data = value.data())
        shown.push_back(hexText(*data));
    else if (const std::int64_t* number = value.integer())
        shown.push_back(std::to_string(*number));
}

// The values as text; data is shown in hex, as dscl shows ShadowHashData.
std::vector<std::string> shownValues(const PlistValue& value)
{
    std::vector<std::string> shown;
    if (const PlistArray* array = value.array()) {
        for (const PlistValue& item : *array)
            appendShown(item, shown);
    } else {
        appendShown(value, shown);
    }
    return shown;
}

// (full attribute name, native key) pairs to show, sorted by full name, and the requested
// names that the record lacks, in the order asked.
struct Selection {
    std::vector<std::pair<std::string, std::string>> present;
    std::vector<std::string> missing;
};

Selection select(const Record& record, const std::vector<std::string>& requested, bool withRecordName)
{
    Selection selection;
    std::set<std::string> keys;
    if (requested.empty()) {
        for (const auto& [key, value] : record.attributes())
            keys.insert(key);
    } else {
        for (const std::string& attribute : requested) {
            const std::string key = nativeKeyForAttribute(attribute);
            if (record.has(key))
                keys.insert(key);
            else if (std::find(selection.missing.begin(), selection.missing.end(), attribute)
                     == selection.missing.end())
                selection.missing.push_back(attribute);
        }
    }
    if (withRecordName && record.has("name"))
        keys.insert("name");
    for (const std::string& key : keys)
        selection.present.emplace_back(fullAttributeName(key), key);
    std::sort(selection.present.begin(), selection.present.end());
    return selection;
}

} // namespace

std::string dsclListText(const std::vector<Record>& records, const std::optional<std::string>& nativeKey)
{
    std::string text;
    if (!nativeKey) {
        for (const Record& record : records)
            text += record.primaryName() + "\n";
        return text;
    }
    std::vector<std::pair<std::string, std::vector<std::string>>> rows;
    std::size_t longest = 0;
    for (const Record& record : records) {
        const PlistValue* value = record.attributes().find(*nativeKey);
        std::vector<std::string> values = value ? shownValues(*value) : std::vector<std::string>{};
        if (values.empty())
            continue;
        longest = std::max(longest, characterCount(record.primaryName()));
        rows.emplace_back(record.primaryName(), std::move(values));
    }
    for (const auto& [name, values] : rows) {
        text += name + std::string(longest - characterCount(name) + 2, ' ');
        for (const std::string& value : values)
            text += " " + value;
        text += "\n";
    }
    return text;
}

std::string dsclReadText(const Record& record, const std::vector<std::string>& requested, bool withRecordName)
{
    const Selection selection = select(record, requested, withRecordName);
    std::string text;
    for (const auto& [fullName, key] : selection.present) {
        const std::vector<std::string> values = shownValues(*record.attributes().find(key));
        text += displayAttributeName(key) + ":";
        const bool blank = std::any_of(values.begin(), values.end(),
                                       [](const std::string& v) { return v.find(' ') != std::string::npos; });
        for (const std::string& value : values)
            text += (blank ? "\n " : " ") + value;
        text += "\n";
    }
    for (const std::string& attribute : selection.missing)
        text += "No such key: " + attribute + "\n";
    return text;
}

PlistDictionary dsclRecordPlist(const Record& record, const std::vector<std::string>& requested, bool withRecordName)
{
    PlistDictionary dictionary;
    for (const auto& [fullName, key] : select(record, requested, withRecordName).present) {
        PlistArray values;
        for (std::string& value : shownValues(*record.attributes().find(key)))
            values.emplace_back(std::move(value));
        dictionary.set(fullName, std::move(values));
    }
    return dictionary;
}

} // namespace veltrona
