#include "platform/tools/ToolOptions.h"

namespace veltrona {

std::optional<ParsedOptions> parseOptions(const std::vector<std::string>& arguments, std::string_view optionLetters)
{
    ParsedOptions parsed;
    std::size_t i = 0;
    for (; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if (word == "--") {
            ++i;
            break;
        }
        if (word.size() < 2 || word[0] != '-')
            break;
        for (std::size_t k = 1; k < word.size(); ++k) {
            const std::size_t at = optionLetters.find(word[k]);
            if (word[k] == ':' || at == std::string_view::npos)
                return std::nullopt;
            const bool takesValue = at + 1 < optionLetters.size() && optionLetters[at + 1] == ':';
            if (!takesValue) {
                parsed.options.emplace_back(word[k], std::string());
                continue;
            }
            if (k + 1 < word.size()) {
                parsed.options.emplace_back(word[k], word.substr(k + 1));
            } else if (i + 1 < arguments.size()) {
                parsed.options.emplace_back(word[k], arguments[++i]);
            } else {
                return std::nullopt;
            }
            break;
        }
    }
    parsed.operands.assign(arguments.begin() + static_cast<std::ptrdiff_t>(i), arguments.end());
    return parsed;
}

} // namespace veltrona
