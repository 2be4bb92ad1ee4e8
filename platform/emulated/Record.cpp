#include "platform/emulated/Record.h"

#include "foundation/PlistStrings.h"

#include <algorithm>

namespace veltrona {

namespace {

char foldCase(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool recordNamesEqual(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return foldCase(x) == foldCase(y); });
}

bool recordNameLess(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return foldCase(x) < foldCase(y); });
}

bool isValidRecordName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos
           && name.find('\0') == std::string_view::npos;
}

std::optional<Record> Record::fromPlist(const PlistValue& value)
{
    const PlistDictionary* dictionary = value.dictionary();
    if (!dictionary)
        return std::nullopt;
    const PlistValue* names = dictionary->find("name");
    if (!names || !names->array() || names->array()->empty())
        return std::nullopt;
    for (const PlistValue& name : *names->array()) {
        if (!name.string() || !isValidRecordName(*name.string()))
            return std::nullopt;
    }
    return Record(*dictionary);
}

std::vector<std::string> Record::values(std::string_view key) const
{
    const PlistValue* value = attributes_.find(key);
    if (value && value->string())
        return {*value->string()};
    return stringsIn(value);
}

std::optional<std::string> Record::firstValue(std::string_view key) const
{
    std::vector<std::string> all = values(key);
    if (all.empty())
        return std::nullopt;
    return all.front();
}

std::optional<PlistData> Record::firstData(std::string_view key) const
{
    const PlistValue* value = attributes_.find(key);
    if (!value)
        return std::nullopt;
    if (const PlistData* data = value->data())
        return *data;
    if (const PlistArray* array = value->array()) {
        for (const PlistValue& item : *array) {
            if (const PlistData* data = item.data())
                return *data;
        }
    }
    return std::nullopt;
}

std::string Record::primaryName() const
{
    return firstValue("name").value_or(std::string());
}

bool Record::hasName(std::string_view name) const
{
    const std::vector<std::string> all = names();
    return std::any_of(all.begin(), all.end(), [&](const std::string& own) { return recordNamesEqual(own, name); });
}

void Record::setValues(std::string_view key, const std::vector<std::string>& values)
{
    attributes_.set(std::string(key), stringArray(values));
}

void Record::appendValues(std::string_view key, const std::vector<std::string>& values)
{
    std::vector<std::string> all = this->values(key);
    all.insert(all.end(), values.begin(), values.end());
    setValues(key, all);
}

void Record::setData(std::string_view key, PlistData data)
{
    attributes_.set(std::string(key), PlistArray{PlistValue(std::move(data))});
}

bool Record::replaceValue(std::string_view key, std::string_view oldValue, const std::string& newValue)
{
    std::vector<std::string> all = values(key);
    auto it = std::find(all.begin(), all.end(), oldValue);
    if (it == all.end())
        return false;
    *it = newValue;
    setValues(key, all);
    return true;
}

bool Record::removeValue(std::string_view key, std::string_view value)
{
    std::vector<std::string> all = values(key);
    auto kept = std::remove(all.begin(), all.end(), value);
    if (kept == all.end())
        return false;
    all.erase(kept, all.end());
    setValues(key, all);
    return true;
}

} // namespace veltrona
