#pragma once
// The shared secret between the window's text and the server file's `SharedSecret` value.

#include "foundation/PlistValue.h"
#include "foundation/Utf8.h" // isValidUtf8, for what is read back

#include <string>
#include <string_view>

namespace veltrona {

// The secret's UTF-8 bytes after one trip out through Base64 and back, as a data value.
PlistData sharedSecretData(std::string_view secret);

// A data value as UTF-8 text (empty when the bytes are not valid UTF-8), a string unchanged,
// anything else or nothing as the empty text.
std::string sharedSecretText(const PlistValue* value);

} // namespace veltrona
