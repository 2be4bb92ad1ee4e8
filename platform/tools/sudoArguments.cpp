#include "platform/tools/sudoArguments.h"

#include <string_view>

namespace veltrona {

namespace {

// -E, -H, -n and -S only shape how sudo asks and what it keeps; this sudo never asks.
bool isQuietFlag(char flag)
{
    return flag == 'E' || flag == 'H' || flag == 'n' || flag == 'S';
}

} // namespace

std::vector<std::string> sudoArgumentList(int argc, char** argv)
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

SudoCommand parseSudoArguments(const std::vector<std::string>& arguments)
{
    SudoCommand result;
    std::size_t index = 0;
    while (index < arguments.size()) {
        std::string_view word = arguments[index];
        if (word == "--") {
            ++index;
            break;
        }
        if (word.size() < 2 || word.front() != '-')
            break;
        for (std::size_t at = 1; at < word.size(); ++at) {
            const char flag = word[at];
            if (isQuietFlag(flag))
                continue;
            if (flag == 'u') {
                // The user is the rest of this word or the next word; only root is there to be.
                std::string user(word.substr(at + 1));
                if (user.empty()) {
                    if (index + 1 >= arguments.size()) {
                        result.error = "sudo: option requires an argument -- u\n";
                        return result;
                    }
                    user = arguments[++index];
                }
                if (user != "root" && user != "#0") {
                    result.error = "sudo: unknown user: " + user + "\n";
                    return result;
                }
                break;
            }
            result.error = std::string("sudo: illegal option -- ") + flag + "\n";
            return result;
        }
        ++index;
    }
    if (index >= arguments.size()) {
        result.error = "sudo: no command given\n";
        return result;
    }
    result.commandIndex = static_cast<int>(index);
    return result;
}

} // namespace veltrona
