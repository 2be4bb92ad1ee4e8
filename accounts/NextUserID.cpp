#include "accounts/NextUserID.h"

#include "accounts/AccountListing.h"
#include "foundation/Text.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace veltrona {

namespace {

// awk's fields: runs of characters other than blanks and tabs.
std::vector<std::string> fields(std::string_view line)
{
    std::vector<std::string> result;
    std::size_t at = 0;
    while (at < line.size()) {
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        const std::size_t start = at;
        while (at < line.size() && line[at] != ' ' && line[at] != '\t')
            ++at;
        if (at > start)
            result.emplace_back(line.substr(start, at - start));
    }
    return result;
}

// grep '[4][0123456789][0123456789]'
bool holdsFourAndTwoDigits(std::string_view line)
{
    for (std::size_t i = 0; i + 2 < line.size(); ++i) {
        if (line[i] == '4' && std::isdigit(static_cast<unsigned char>(line[i + 1]))
            && std::isdigit(static_cast<unsigned char>(line[i + 2])))
            return true;
    }
    return false;
}

// A whole decimal number and nothing else, as $((maxid+1)) can take it.
std::optional<long long> wholeNumber(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0')
        return std::nullopt;
    return value;
}

// Every value of every line: a record may list more than one.
std::set<long long> idsInUse(std::string_view uniqueIDListing)
{
    std::set<long long> ids;
    for (const auto& [name, held] : idsByRecord(uniqueIDListing))
        ids.insert(held.begin(), held.end());
    return ids;
}

} // namespace

std::map<std::string, std::set<long long>> idsByRecord(std::string_view uniqueIDListing)
{
    std::map<std::string, std::set<long long>> ids;
    for (const std::string& line : split(uniqueIDListing, "\n")) {
        const std::vector<std::string> words = fields(line);
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (const std::optional<long long> id = wholeNumber(words[i]))
                ids[words[0]].insert(*id);
        }
    }
    return ids;
}

std::optional<long long> scriptUniqueID(std::string_view uniqueIDListing)
{
    // sort -ug puts what is no number first and tail -1 takes the last: the largest number, or
    // the text when no value is a number.
    std::optional<long long> largest;
    bool anyLine = false;
    for (const std::string& line : split(uniqueIDListing, "\n")) {
        if (!holdsFourAndTwoDigits(line))
            continue;
        const std::vector<std::string> words = fields(line);
        const std::string value = words.size() > 1 ? words[1] : std::string();
        anyLine = anyLine || !value.empty();
        if (const std::optional<long long> number = wholeNumber(value); number && (!largest || *number > *largest))
            largest = number;
    }
    if (!largest)
        return anyLine ? std::nullopt : std::optional<long long>(kFirstVpnUserId);
    return *largest + 1;
}

std::optional<int> nextVPNUserID(std::string_view uniqueIDListing)
{
    const std::optional<long long> id = scriptUniqueID(uniqueIDListing);
    if (!id || *id < kFirstVpnUserId || *id > kLastVpnUserId || idsInUse(uniqueIDListing).contains(*id))
        return std::nullopt;
    return static_cast<int>(*id);
}

std::optional<ChosenUserID> chooseVPNUserID(std::string_view uniqueIDListing)
{
    if (const std::optional<int> id = nextVPNUserID(uniqueIDListing))
        return ChosenUserID{*id, false};
    const std::set<long long> used = idsInUse(uniqueIDListing);
    for (int id = kFirstVpnUserId; id <= kLastVpnUserId; ++id) {
        if (!used.contains(id))
            return ChosenUserID{id, true};
    }
    return std::nullopt;
}

} // namespace veltrona
