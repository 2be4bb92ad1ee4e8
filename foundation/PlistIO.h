#pragma once
// Reading and writing property lists through libplist.

#include "foundation/AtomicFile.h"
#include "foundation/PlistValue.h"
#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// Reads an XML or binary property list. Missing, unreadable or malformed: nothing.
std::optional<PlistValue> readPlistFile(const std::filesystem::path& path);

// As readPlistFile, but a property list whose root is not a dictionary also gives nothing.
std::optional<PlistValue> readPlistDictionaryFile(const std::filesystem::path& path);

// Parses bytes holding an XML or binary property list (for example a tool's -plist output).
std::optional<PlistValue> parsePlist(std::string_view bytes);

// The XML form of a value, as a Mac writes it.
std::string plistToXml(const PlistValue& value);

// Writes the dictionary as XML into a side file in the same folder and renames it over the target,
// so readers see the old file or the new one. On failure the old file stays and no side file is left.
// A symbolic link is written through to its file; `access` and `within` as in AtomicFile.h.
Status writePlistAtomically(const PlistDictionary& dictionary, const std::filesystem::path& path,
                            FileAccess access = FileAccess::AsBefore, const std::filesystem::path& within = {});

} // namespace veltrona
