#include "platform/tools/securityItemPrinter.h"

#include <cstdio>

namespace veltrona {

namespace {

bool printable(unsigned char c)
{
    return c >= 0x20 && c < 0x7F;
}

std::string timedate(const std::string& stamp)
{
    // Dates are stored with their terminating zero byte, which the Mac shows too.
    return stamp.empty() ? "<NULL>" : securityQuoted(stamp + std::string(1, '\0'));
}

} // namespace

std::string securityQuoted(std::string_view bytes)
{
    bool hex = false;
    for (char c : bytes)
        hex = hex || !printable(static_cast<unsigned char>(c));
    std::string text;
    if (hex) {
        text += "0x";
        for (char c : bytes) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02X", static_cast<unsigned char>(c));
            text += pair;
        }
        text += "  ";
    }
    text += '"';
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (printable(byte)) {
            text += c;
        } else {
            char octal[5];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            text += octal;
        }
    }
    text += '"';
    return text;
}

void printKeychainItem(std::ostream& out, const std::string& keychainPath, const KeychainItemRecord& item)
{
    out << "keychain: \"" << keychainPath << "\"\n"
        << "version: 512\n"
        << "class: \"genp\"\n"
        << "attributes:\n"
        << "    0x00000007 <blob>=" << securityQuoted(item.service) << "\n"
        << "    0x00000008 <blob>=<NULL>\n"
        << "    \"acct\"<blob>=" << securityQuoted(item.account) << "\n"
        << "    \"cdat\"<timedate>=" << timedate(item.created) << "\n"
        << "    \"crtr\"<uint32>=<NULL>\n"
        << "    \"cusi\"<sint32>=<NULL>\n"
        << "    \"desc\"<blob>=<NULL>\n"
        << "    \"gena\"<blob>=<NULL>\n"
        << "    \"icmt\"<blob>=<NULL>\n"
        << "    \"invi\"<sint32>=<NULL>\n"
        << "    \"mdat\"<timedate>=" << timedate(item.modified) << "\n"
        << "    \"nega\"<sint32>=<NULL>\n"
        << "    \"prot\"<blob>=<NULL>\n"
        << "    \"scrp\"<sint32>=<NULL>\n"
        << "    \"svce\"<blob>=" << securityQuoted(item.service) << "\n"
        << "    \"type\"<uint32>=<NULL>\n";
}

} // namespace veltrona
