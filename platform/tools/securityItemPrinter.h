#pragma once
// The attribute listing security prints for a generic-password item (find without -w, delete).

#include "platform/emulated/KeychainFile.h"

#include <ostream>
#include <string>
#include <string_view>

namespace veltrona {

// A byte string as security shows it: "text" when printable, else 0xHEX  "escaped".
std::string securityQuoted(std::string_view bytes);

void printKeychainItem(std::ostream& out, const std::string& keychainPath, const KeychainItemRecord& item);

} // namespace veltrona
