#include "foundation/PlistValue.h"

#include <algorithm>

namespace veltrona {

const PlistValue* PlistDictionary::find(std::string_view key) const
{
    // Dictionaries in property lists are small; a linear search keeps the key order for free.
    for (const Entry& entry : entries_) {
        if (entry.first == key)
            return &entry.second;
    }
    return nullptr;
}

PlistValue* PlistDictionary::find(std::string_view key)
{
    return const_cast<PlistValue*>(std::as_const(*this).find(key));
}

void PlistDictionary::set(std::string key, PlistValue value)
{
    if (PlistValue* existing = find(key)) {
        *existing = std::move(value);
        return;
    }
    entries_.emplace_back(std::move(key), std::move(value));
}

bool PlistDictionary::remove(std::string_view key)
{
    auto it = std::find_if(entries_.begin(), entries_.end(), [key](const Entry& entry) { return entry.first == key; });
    if (it == entries_.end())
        return false;
    entries_.erase(it);
    return true;
}

bool PlistDictionary::operator==(const PlistDictionary& other) const
{
    // Equal contents, whatever the order of the keys: that is what a dictionary means.
    if (size() != other.size())
        return false;
    return std::all_of(entries_.begin(), entries_.end(), [&other](const Entry& entry) {
        const PlistValue* theirs = other.find(entry.first);
        return theirs != nullptr && *theirs == entry.second;
    });
}

} // namespace veltrona
