#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end.

#include <filesystem>

namespace veltrona::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

} // namespace veltrona::test
