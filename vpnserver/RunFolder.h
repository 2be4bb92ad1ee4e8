#pragma once
// A private folder of one run inside the platform root, where server files are written before a
// move script installs them: on the same file system as the installation directory, and never the
// program's own folder, which may be read-only (an installed package) and is shared by every copy.

#include "platform/PlatformPaths.h"

#include <string>

namespace veltrona {

// Where run folders are made, a platform path.
inline constexpr const char* kRunFolderParent = "/private/tmp";

class RunFolder {
public:
    // Makes ROOT/private/tmp/veltrona.XXXXXX, readable by its owner alone.
    explicit RunFolder(const PlatformPaths& platform);
    // Removes the folder with anything a failed move left in it.
    ~RunFolder();
    RunFolder(const RunFolder&) = delete;
    RunFolder& operator=(const RunFolder&) = delete;

    // The folder on this machine; empty when it could not be made.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace veltrona
