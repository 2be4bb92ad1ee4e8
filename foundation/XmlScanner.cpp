#include "foundation/XmlScanner.h"

#include <utility>

namespace veltrona {

void XmlScanner::skipBlanks()
{
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\n'))
        ++at_;
}

bool XmlScanner::take(std::string_view token)
{
    if (text_.compare(at_, token.size(), token) != 0)
        return false;
    at_ += token.size();
    return true;
}

bool XmlScanner::skipPast(std::string_view token)
{
    const std::size_t found = text_.find(token, at_);
    if (found == std::string_view::npos)
        return false;
    at_ = found + token.size();
    return true;
}

std::optional<std::string> XmlScanner::characters()
{
    const std::size_t end = text_.find('<', at_);
    if (end == std::string_view::npos)
        return std::nullopt;
    const std::string_view raw = text_.substr(at_, end - at_);
    at_ = end;
    if (raw.find_first_of("&\r") == std::string_view::npos)
        return std::string(raw);
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string decoded;
    for (std::size_t i = 0; i < raw.size();) {
        if (raw[i] == '\r')
            return std::nullopt;
        if (raw[i] != '&') {
            decoded.push_back(raw[i++]);
            continue;
        }
        bool known = false;
        for (const auto& [entity, character] : kEntities) {
            if (raw.compare(i, entity.size(), entity) == 0) {
                decoded.push_back(character);
                i += entity.size();
                known = true;
                break;
            }
        }
        if (!known)
            return std::nullopt;
    }
    return decoded;
}

} // namespace veltrona
