#include "vpnserver/RunFolder.h"

#include <cstdlib>
#include <filesystem>
#include <vector>

namespace veltrona {

RunFolder::RunFolder(const PlatformPaths& platform)
{
    const std::filesystem::path parent = platform.map(kRunFolderParent);
    std::error_code ec;
    std::filesystem::create_directories(parent, ec);
    std::string pattern = (parent / "veltrona.XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    // mkdtemp makes it 0700 and never reuses a folder another run holds.
    if (::mkdtemp(buffer.data()) != nullptr)
        path_ = buffer.data();
}

RunFolder::~RunFolder()
{
    if (path_.empty())
        return;
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

} // namespace veltrona
