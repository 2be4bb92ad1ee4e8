#pragma once
// The application's Info dictionary, built into veltronactl from resources/Info.plist, as the
// window builds it into its own resources.

#include "foundation/PlistValue.h"

#include <string>

namespace veltrona::cli {

const PlistDictionary& infoDictionary();
// A text value of it; "" when missing.
std::string infoString(const char* key);

} // namespace veltrona::cli
