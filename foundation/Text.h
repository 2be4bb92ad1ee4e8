#pragma once
// The text operations the program takes from Foundation, on UTF-8 strings.

#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// Splits at every occurrence of the separator; empty pieces are kept ("a,,b" gives "a", "", "b").
std::vector<std::string> split(std::string_view text, std::string_view separator);

std::string join(const std::vector<std::string>& pieces, std::string_view separator);

// Foundation's intValue: leading white space skipped, optional sign, decimal digits; no digits gives 0;
// a number beyond int's range gives INT_MAX or INT_MIN.
int intValue(std::string_view text);

// The text without the control characters 0x01-0x1F other than tab, line feed and carriage return,
// which no XML reader accepts in a file.
std::string withoutControlCharacters(std::string_view text);

// Strips Unicode Zs characters and tab from both ends; line ends stay.
std::string trimWhitespace(std::string_view text);

// A random (version 4) UUID as 36 upper-case characters, like "E621E1F8-C36C-495A-93FC-0C247A3E6E5F".
std::string uuidString();

} // namespace veltrona
