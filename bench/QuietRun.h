#pragma once
// Starting a whole program for a benchmark, its output thrown away.

#include <string>
#include <vector>

namespace veltrona::bench {

// Runs `words` (the program's path first) with standard input, output and error on /dev/null;
// its exit status, or -1 when it could not start or did not exit.
int runQuietly(std::vector<std::string> words);

} // namespace veltrona::bench
