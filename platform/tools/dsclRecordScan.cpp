#include "platform/tools/dsclRecordScan.h"

#include <algorithm>

namespace veltrona {

namespace {

class Scanner {
public:
    explicit Scanner(std::string_view text) : text_(text) { }

    void skipBlanks()
    {
        while (at_ < text_.size()
               && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n' || text_[at_] == '\r'))
            ++at_;
    }
    bool take(std::string_view token)
    {
        if (text_.substr(at_).starts_with(token)) {
            at_ += token.size();
            return true;
        }
        return false;
    }
    bool skipPast(std::string_view token)
    {
        const std::size_t found = text_.find(token, at_);
        if (found == std::string_view::npos)
            return false;
        at_ = found + token.size();
        return true;
    }
    bool atEnd() const { return at_ == text_.size(); }
    char previous() const { return at_ > 0 ? text_[at_ - 1] : '\0'; }

    // Character data up to the next "<", with the five named entities replaced.
    std::optional<std::string> characters()
    {
        const std::size_t end = text_.find('<', at_);
        if (end == std::string_view::npos)
            return std::nullopt;
        std::string decoded;
        decoded.reserve(end - at_);
        while (at_ < end) {
            const char c = text_[at_];
            // Line-end handling of XML readers differs: the full reader decides.
            if (c == '\r')
                return std::nullopt;
            if (c != '&') {
                decoded.push_back(c);
                ++at_;
                continue;
            }
            static constexpr std::pair<std::string_view, char> kEntities[] = {
                {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
            const auto entity = std::find_if(std::begin(kEntities), std::end(kEntities), [&](const auto& e) {
                return text_.substr(at_, end - at_).starts_with(e.first);
            });
            if (entity == std::end(kEntities))
                return std::nullopt;
            decoded.push_back(entity->second);
            at_ += entity->first.size();
        }
        return decoded;
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

bool scanPrologue(Scanner& scan)
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
bool scanArray(Scanner& scan, std::vector<std::string>* keep)
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
    Scanner scan(text);
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
