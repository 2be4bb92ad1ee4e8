#pragma once
// What the account list needs of one record of the directory listing: the first value of each
// attribute it reads, when that value is text.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

struct ListedUser {
    std::optional<std::string> recordName;
    std::optional<std::string> realName;
    std::optional<std::string> uniqueId;
    std::optional<std::string> userShell;

    bool operator==(const ListedUser&) const = default;
};

// The records of a listing read by the property-list reader. Nothing when the text is not a
// property list whose root is an array; elements that are not dictionaries are left out.
std::optional<std::vector<ListedUser>> readListing(std::string_view text);

// The same, quickly, for a listing in the plain shape the directory tool prints (dictionaries of
// arrays of strings, the five named entities only). Nothing for anything else, which then goes
// to readListing; wherever both answer, they answer the same.
std::optional<std::vector<ListedUser>> scanListing(std::string_view text);

} // namespace veltrona
