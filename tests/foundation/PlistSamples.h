#pragma once
// Property lists the foundation tests share: one of every kind, and the same as a Mac writes it.

#include "foundation/PlistValue.h"

#include <string>

namespace veltrona::test {

// A dictionary holding every kind of value, nested arrays and dictionaries among them.
PlistDictionary everyKindDictionary();

// everyKindDictionary() as XML in a Mac's own layout.
std::string everyKindMacXml();

} // namespace veltrona::test
