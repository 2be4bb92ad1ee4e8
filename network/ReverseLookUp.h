#pragma once
// The reverse DNS look-up of the machine's address, run with dig through the runner.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// "dig @SERVER -x ADDRESS +short", the two values as they are. Nothing unless both are IP
// addresses: they come from the network state and go into shell text, so nothing else may pass.
std::optional<std::string> reverseLookUpCommand(std::string_view server, std::string_view address);

// "/bin/sh", "-c" and the command text.
std::vector<std::string> reverseLookUpArguments(std::string command);

// The host name in a look-up's runner result: the result less its last character, the final dot
// of the name dig prints (several names stay on their lines). Nothing for an empty result, and
// nothing when dig reported a failure instead of names (its messages begin with ";").
std::optional<std::string> hostNameFromLookUpResult(std::string_view result);

} // namespace veltrona
