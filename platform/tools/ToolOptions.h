#pragma once
// Option parsing as the real launchctl and security tools do it (BSD getopt): options first, each
// of `optionLetters` letters, a letter followed by ':' taking a value (attached or as the next word); parsing stops
// at the first word that is no option, or after "--".

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace veltrona {

struct ParsedOptions {
    std::vector<std::pair<char, std::string>> options; // in order; value empty for a flag
    std::vector<std::string> operands;
};

// `arguments` starts after the sub-command's name. Nothing for an unknown option or a missing value.
std::optional<ParsedOptions> parseOptions(const std::vector<std::string>& arguments, std::string_view optionLetters);

} // namespace veltrona
