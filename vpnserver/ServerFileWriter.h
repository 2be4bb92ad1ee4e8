#pragma once
// Writing both server files from the window's settings, always starting again from the templates.

#include "foundation/PlistValue.h"
#include "foundation/Status.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/ServerSettings.h"

#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// How each file fared. Nothing of it reaches the user: the reload after a start shows the truth.
struct VpnConfigResult {
    Status serverFile;
    Status jobFile;
};

// Writes the server file, then the job file, each into the resource directory and moved into
// place by its move script right after it is written. A template that cannot be read, or a
// temporary copy that could not be written, leaves that file as it is installed.
VpnConfigResult vpnConfig(const ServerSettings& settings, const ServerFileLocations& locations, CommandRunner& runner);

// Writes a server dictionary (a root dictionary) as the temporary copy, readable by its owner
// alone, and moves it into place with the server file's move script.
Status installServerFile(const PlistValue& root, const ServerFileLocations& locations, CommandRunner& runner);

// A comma-separated field as stored: split at every ",", each piece stripped of blanks at its
// ends, empty pieces kept (the empty field gives one empty string).
std::vector<std::string> offeredList(std::string_view field);

// The job's last program argument with its last "."-separated piece replaced by the type.
std::string programArgumentForType(std::string_view argument, std::string_view type);

} // namespace veltrona
