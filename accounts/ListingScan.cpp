// The quick road through a directory listing: a reload of many accounts spends most of its time
// here, and the general property-list reader builds a whole tree only to read four values of it.

#include "accounts/ListedUser.h"

#include "foundation/XmlScanner.h"

#include <array>

namespace veltrona {

namespace {

constexpr std::array<std::string_view, 4> kAttributes = {"dsAttrTypeStandard:RecordName", "dsAttrTypeStandard:RealName",
                                                         "dsAttrTypeStandard:UniqueID", "dsAttrTypeStandard:UserShell"};

// An array of strings; `first` receives its first string unless it is null.
bool scanStrings(XmlScanner& scan, std::optional<std::string>* first)
{
    if (scan.take("<array/>"))
        return true;
    if (!scan.take("<array>"))
        return false;
    for (bool atFirst = true;; atFirst = false) {
        scan.skipBlanks();
        if (scan.take("</array>"))
            return true;
        std::optional<std::string> value;
        if (scan.take("<string/>")) {
            value.emplace();
        } else if (scan.take("<string>")) {
            value = scan.characters();
            if (!value || !scan.take("</string>"))
                return false;
        } else {
            return false;
        }
        if (atFirst && first)
            *first = std::move(value);
    }
}

bool scanRecord(XmlScanner& scan, ListedUser& user)
{
    std::array<std::optional<std::string>*, 4> slots = {&user.recordName, &user.realName, &user.uniqueId,
                                                        &user.userShell};
    std::array<bool, 4> seen{};
    if (scan.take("<dict/>"))
        return true;
    if (!scan.take("<dict>"))
        return false;
    for (;;) {
        scan.skipBlanks();
        if (scan.take("</dict>"))
            return true;
        if (!scan.take("<key>"))
            return false;
        const std::optional<std::string> key = scan.characters();
        if (!key || !scan.take("</key>"))
            return false;
        scan.skipBlanks();
        std::optional<std::string>* first = nullptr;
        for (std::size_t i = 0; i < kAttributes.size(); ++i) {
            if (*key == kAttributes[i]) {
                // A key twice: which one counts is the general reader's to say.
                if (seen[i])
                    return false;
                seen[i] = true;
                first = slots[i];
            }
        }
        if (!scanStrings(scan, first))
            return false;
    }
}

} // namespace

std::optional<std::vector<ListedUser>> scanListing(std::string_view text)
{
    // The general reader refuses text holding NUL; so must this road.
    if (text.find('\0') != std::string_view::npos)
        return std::nullopt;
    XmlScanner scan(text);
    scan.skipBlanks();
    if (scan.take("<?xml") && !scan.skipPast("?>"))
        return std::nullopt;
    scan.skipBlanks();
    if (scan.take("<!DOCTYPE") && !scan.skipPast(">"))
        return std::nullopt;
    scan.skipBlanks();
    if (!scan.take("<plist") || !scan.skipPast(">") || scan.previous() == '/')
        return std::nullopt;
    scan.skipBlanks();
    std::vector<ListedUser> users;
    if (!scan.take("<array/>")) {
        if (!scan.take("<array>"))
            return std::nullopt;
        for (;;) {
            scan.skipBlanks();
            if (scan.take("</array>"))
                break;
            if (!scanRecord(scan, users.emplace_back()))
                return std::nullopt;
        }
    }
    scan.skipBlanks();
    if (!scan.take("</plist>"))
        return std::nullopt;
    scan.skipBlanks();
    if (!scan.atEnd())
        return std::nullopt;
    return users;
}

} // namespace veltrona
