#pragma once
// "dscl -plist . readall PATH ATTR...", made for listings of many records: each record file read
// once in one piece, the attributes to show worked out once for the whole listing, and the XML
// written straight out, byte for byte what the general property-list writer gives.

#include "platform/tools/dsclCommands.h"

namespace veltrona {

// Needs at least one attribute in the request (the general road lists every attribute).
int dsclReadAllPlist(DsclContext& context);

} // namespace veltrona
