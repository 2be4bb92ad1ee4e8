#pragma once
// Whether a signing key can be used as it lies: one protected by a pass phrase would make openssl
// ask for it on the terminal the program was started from, and the window would wait forever.

#include <string>

namespace veltrona {

enum class SigningKeyState {
    Usable,          // a private key that opens without a pass phrase
    NeedsPassPhrase, // an encrypted private key
    Unknown,         // unreadable here or not a key this check knows: openssl decides
};

SigningKeyState signingKeyState(const std::string& keyPath);

} // namespace veltrona
