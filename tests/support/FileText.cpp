#include "tests/support/FileText.h"

#include <fstream>
#include <iterator>

namespace veltrona::test {

std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace veltrona::test
