#pragma once
// The folder in the application's resource directory, beside shellTool, that holds the templates
// of the server files and of the client profile. Installation copies it; the account and profile
// parts read their templates from it.

namespace veltrona {

inline constexpr const char* kResourceFolder = "VPNStuff";

} // namespace veltrona
