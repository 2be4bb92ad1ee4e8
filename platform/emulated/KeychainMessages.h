#pragma once
// The Mac's texts for keychain status codes, as SecCopyErrorMessageString gives them.

#include "platform/KeychainServices.h"

#include <string>

namespace veltrona {

// "OSStatus N" for a code without a text.
std::string keychainErrorMessage(OSStatus status);

// The exit status of the security tool for a failure: the status truncated to 8 bits.
int keychainExitStatus(OSStatus status);

} // namespace veltrona
