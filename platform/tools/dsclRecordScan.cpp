#include "platform/tools/dsclRecordScan.h"

#include "foundation/XmlScanner.h"

#include <algorithm>

namespace veltrona {

namespace {

bool scanPrologue(XmlScanner& scan)
{
    scan.skipBlanks();
    if (scan.take("<?xml") && !scan.skipPast("?>"))
        return false;
    scan.skipBlanks();
    if (scan.take("<!DOCTYPE") && !scan.skipPast(">"))
        return false;
    scan.skipBlanks();
    if (!scan.take("<plist") || !scan.skipPast(">") || scan.previous() == '/')
        return false;
    scan.skipBlanks();
    return scan.take("<dict>");
}

// One array value; `keep` collects its strings, or is null when the key is not wanted.
bool scanArray(XmlScanner& scan, std::vector<std::string>* keep)
{
    if (scan.take("<array/>"))
        return true;
    if (!scan.take("<array>"))
        return false;
    for (;;) {
        scan.skipBlanks();
        if (scan.take("</array>"))
            return true;
        if (scan.take("<string/>")) {
            if (keep)
                keep->emplace_back();
        } else if (scan.take("<string>")) {
            std::optional<std::string> value = scan.characters();
            if (!value || !scan.take("</string>"))
                return false;
            if (keep)
                keep->push_back(std::move(*value));
        } else if (scan.take("<data>")) {
            // Shown in hex when asked for; the full reader does that.
            if (keep || !scan.skipPast("</data>"))
                return false;
        } else {
            return false;
        }
    }
}

} // namespace

std::optional<std::vector<std::optional<std::vector<std::string>>>> scanRecordFile(
    std::string_view text, const std::vector<std::string>& wantedKeys)
{
    XmlScanner scan(text);
    if (!scanPrologue(scan))
        return std::nullopt;
    std::vector<std::optional<std::vector<std::string>>> values(wantedKeys.size());
    for (;;) {
        scan.skipBlanks();
        if (scan.take("</dict>"))
            break;
        if (!scan.take("<key>"))
            return std::nullopt;
        const std::optional<std::string> key = scan.characters();
        if (!key || !scan.take("</key>"))
            return std::nullopt;
        scan.skipBlanks();
        const auto wanted = std::find(wantedKeys.begin(), wantedKeys.end(), *key);
        std::vector<std::string>* keep = nullptr;
        if (wanted != wantedKeys.end()) {
            auto& slot = values[static_cast<std::size_t>(wanted - wantedKeys.begin())];
            // A key twice: which one counts is the full reader's to say.
            if (slot)
                return std::nullopt;
            keep = &slot.emplace();
        }
        if (!scanArray(scan, keep))
            return std::nullopt;
    }
    scan.skipBlanks();
    if (!scan.take("</plist>"))
        return std::nullopt;
    scan.skipBlanks();
    if (!scan.atEnd())
        return std::nullopt;
    return values;
}

} // namespace veltrona
