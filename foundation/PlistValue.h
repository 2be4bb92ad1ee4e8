#pragma once
// An in-memory property list: one value type for every kind a property list can hold.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace veltrona {

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistData = std::vector<std::uint8_t>;

// Seconds since 2001-01-01 00:00:00 UTC, the epoch property lists count from.
struct PlistDate {
    double seconds = 0;
    bool operator==(const PlistDate&) const = default;
};

// Keys keep the order in which they were read or first stored, so a file written back keeps its shape.
class PlistDictionary {
public:
    using Entry = std::pair<std::string, PlistValue>;

    const PlistValue* find(std::string_view key) const;
    PlistValue* find(std::string_view key);
    bool contains(std::string_view key) const { return find(key) != nullptr; }
    // Replaces the value of an existing key in place, else appends the key.
    void set(std::string key, PlistValue value);
    bool remove(std::string_view key);

    // Defined below PlistValue: the entries need it complete (clang insists; GCC lets it pass).
    std::size_t size() const;
    bool empty() const;
    std::vector<Entry>::const_iterator begin() const;
    std::vector<Entry>::const_iterator end() const;
    std::vector<Entry>::iterator begin();
    std::vector<Entry>::iterator end();

    bool operator==(const PlistDictionary& other) const;

private:
    std::vector<Entry> entries_;
};

class PlistValue {
public:
    enum class Kind { String, Integer, Real, Boolean, Date, Data, Array, Dictionary };

    PlistValue() : value_(std::string()) { }
    PlistValue(std::string s) : value_(std::move(s)) { }
    PlistValue(const char* s) : value_(std::string(s)) { }
    PlistValue(std::int64_t i) : value_(i) { }
    PlistValue(int i) : value_(std::int64_t{i}) { }
    PlistValue(double d) : value_(d) { }
    PlistValue(bool b) : value_(b) { }
    PlistValue(PlistDate d) : value_(d) { }
    PlistValue(PlistData d) : value_(std::move(d)) { }
    PlistValue(PlistArray a) : value_(std::move(a)) { }
    PlistValue(PlistDictionary d) : value_(std::move(d)) { }

    Kind kind() const { return static_cast<Kind>(value_.index()); }

    // Typed access: a null pointer when the value is of another kind.
    const std::string* string() const { return std::get_if<std::string>(&value_); }
    std::string* string() { return std::get_if<std::string>(&value_); }
    const std::int64_t* integer() const { return std::get_if<std::int64_t>(&value_); }
    const double* real() const { return std::get_if<double>(&value_); }
    const bool* boolean() const { return std::get_if<bool>(&value_); }
    const PlistDate* date() const { return std::get_if<PlistDate>(&value_); }
    const PlistData* data() const { return std::get_if<PlistData>(&value_); }
    const PlistArray* array() const { return std::get_if<PlistArray>(&value_); }
    PlistArray* array() { return std::get_if<PlistArray>(&value_); }
    const PlistDictionary* dictionary() const { return std::get_if<PlistDictionary>(&value_); }
    PlistDictionary* dictionary() { return std::get_if<PlistDictionary>(&value_); }

    bool operator==(const PlistValue& other) const { return value_ == other.value_; }

private:
    // Order matches Kind.
    std::variant<std::string, std::int64_t, double, bool, PlistDate, PlistData, PlistArray, PlistDictionary> value_;
};

inline std::size_t PlistDictionary::size() const
{
    return entries_.size();
}
inline bool PlistDictionary::empty() const
{
    return entries_.empty();
}
inline std::vector<PlistDictionary::Entry>::const_iterator PlistDictionary::begin() const
{
    return entries_.begin();
}
inline std::vector<PlistDictionary::Entry>::const_iterator PlistDictionary::end() const
{
    return entries_.end();
}
inline std::vector<PlistDictionary::Entry>::iterator PlistDictionary::begin()
{
    return entries_.begin();
}
inline std::vector<PlistDictionary::Entry>::iterator PlistDictionary::end()
{
    return entries_.end();
}

} // namespace veltrona
