#pragma once
// The commands that create, re-password and delete VPN accounts, as the runner takes them. Typed
// text reaches the tools as one unchanged argument: it is a script parameter, or quoted for the
// shell where the command puts it into its text; a value that needs no quoting stands as typed.

#include <string>
#include <vector>

namespace veltrona {

using CommandArguments = std::vector<std::string>;

// Prints the record name equal to `name`, letter case ignored, when one exists.
CommandArguments nameProbeCommand(const std::string& name);
// Prints the record's names when `name` is any name of a record, an alias too.
CommandArguments aliasProbeCommand(const std::string& name);
// Lists every record with its UniqueID, from which the creation script picks the next id.
CommandArguments uniqueIDListingCommand();

std::string creationScript();
// The same script taking the new account's UniqueID as its fifth parameter instead of working it out.
std::string creationScriptWithUniqueID();
CommandArguments creationCommand(const std::string& name, const std::string& password);
CommandArguments creationCommand(const std::string& name, const std::string& password, int uniqueID);
// Prints "YES" when the account authenticates with the password, as a login would.
CommandArguments authenticationCommand(const std::string& name, const std::string& password);
CommandArguments resetPasswordCommand(const std::string& name, const std::string& password);
// Prints the admin group's membership line when `name` stands in it as a whole word.
CommandArguments administratorProbeCommand(const std::string& name);
std::string deletionScript();
CommandArguments deletionCommand(const std::string& name);
// Prints "GONE" when the directory could be listed and holds no record of that name (letter case
// ignored); nothing when the record is there or the listing failed.
CommandArguments deletionCheckCommand(const std::string& name);

} // namespace veltrona
