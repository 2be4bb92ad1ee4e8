#pragma once
// The stand-in security tool: add-generic-password, find-generic-password and
// delete-generic-password on keychain files of the platform root. Messages and exit statuses are
// the Mac's: a failing OSStatus exits with its low 8 bits (item exists 45, not found 44).

#include "platform/PlatformPaths.h"

#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// The keychain used when none is named: the tool acts as the platform's root, whose default
// keychain is the System keychain.
inline constexpr const char* kSystemKeychain = "/Library/Keychains/System.keychain";

// `arguments` excludes the program name.
int runSecurity(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                std::ostream& err);

} // namespace veltrona
