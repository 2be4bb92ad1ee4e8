#pragma once
// An exclusive flock on a folder, held for one read-modify-write of the files in it. Files there
// are replaced by rename, so the lock sits on the folder, whose inode stays put.

#include <filesystem>

namespace veltrona {

// Refused: a link in the folder's place is not followed, and nothing is locked.
enum class FolderLinks { Followed, Refused };

class FolderLock {
public:
    // Creates the folder (and its parents) when missing, then waits for the lock.
    explicit FolderLock(const std::filesystem::path& folder, FolderLinks links = FolderLinks::Followed);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // False when the folder could not be made or locked; the caller must not write then.
    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace veltrona
