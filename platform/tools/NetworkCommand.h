#pragma once
// `veltrona-platform network DIR [--interface NAME] [--address A]... [--dns D]... | [--offline]`:
// with options, fixes the network state the program sees in DIR's dynamic-store file; alone,
// prints the state the program would see, one labelled value a line.

#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// `arguments` starts with DIR.
int runNetworkCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace veltrona
