#pragma once
// The dscl stand-in as a function: the tool's main and the benchmarks call it.

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// Runs one dscl command line against the platform root's local node; prints what dscl prints
// and returns its exit status.
int runDscl(const std::vector<std::string>& arguments, const std::filesystem::path& platformRoot, std::ostream& out,
            std::ostream& err);

} // namespace veltrona
