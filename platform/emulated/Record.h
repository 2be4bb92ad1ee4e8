#pragma once
// One record of the local directory as var/db/dslocal keeps it: a dictionary of lower-case keys
// ("name", "uid", "realname", ...), each an array of strings; ShadowHashData an array of data.

#include "foundation/PlistValue.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// Record names compare without regard to ASCII letter case, as the directory matches them.
bool recordNamesEqual(std::string_view a, std::string_view b);
bool recordNameLess(std::string_view a, std::string_view b);

// A name that can be a record's file name: not empty, no "/", not "." or "..", no NUL.
bool isValidRecordName(std::string_view name);

class Record {
public:
    Record() = default;
    explicit Record(PlistDictionary attributes) : attributes_(std::move(attributes)) { }

    // A record read from a file is usable when "name" is a non-empty array of valid names.
    static std::optional<Record> fromPlist(const PlistValue& value);

    const PlistDictionary& attributes() const { return attributes_; }
    bool has(std::string_view key) const { return attributes_.contains(key); }

    // The text values of a key (other kinds skipped); empty when the key is missing.
    std::vector<std::string> values(std::string_view key) const;
    std::optional<std::string> firstValue(std::string_view key) const;
    std::optional<PlistData> firstData(std::string_view key) const;

    std::vector<std::string> names() const { return values("name"); }
    // The first record name: the one listings show and the record's file is named after.
    std::string primaryName() const;
    bool hasName(std::string_view name) const;

    void setValues(std::string_view key, const std::vector<std::string>& values);
    void appendValues(std::string_view key, const std::vector<std::string>& values);
    void setData(std::string_view key, PlistData data);
    // Replaces the first value equal to `oldValue`; false when there is none.
    bool replaceValue(std::string_view key, std::string_view oldValue, const std::string& newValue);
    // Removes every value equal to `value`; false when there is none.
    bool removeValue(std::string_view key, std::string_view value);
    bool removeKey(std::string_view key) { return attributes_.remove(key); }

private:
    PlistDictionary attributes_;
};

} // namespace veltrona
