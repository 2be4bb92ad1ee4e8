#include "platform/ShellWord.h"

namespace veltrona {

namespace {

bool isPlainCharacter(char c)
{
    // Bytes of UTF-8 sequences are never special to the shell: names in any script stand as typed.
    if (static_cast<unsigned char>(c) >= 0x80)
        return true;
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '/':
    case '.':
    case '_':
    case '-':
    case '+':
    case ':':
    case ',':
    case '@':
    case '%': return true;
    default: return false;
    }
}

} // namespace

std::string shellWord(std::string_view text)
{
    bool plain = !text.empty();
    for (char c : text)
        plain = plain && isPlainCharacter(c);
    return plain ? std::string(text) : singleQuoted(text);
}

std::string singleQuoted(std::string_view text)
{
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace veltrona
