#pragma once
// Reading the settings in force back from the installed server files.

#include "foundation/PlistValue.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/ServerSettings.h"

#include <string>

namespace veltrona {

// Reads the installed server file and job file; either may be missing or malformed. The type is
// the installed job's, and it chooses the server entry and the port-forwarding text.
LoadedServerSettings loadVPNSettings(const ServerFileLocations& locations);

// The type a job dictionary names: the last "."-separated piece of its last program argument;
// empty when it has none.
std::string typeOfJob(const PlistValue& job);

} // namespace veltrona
