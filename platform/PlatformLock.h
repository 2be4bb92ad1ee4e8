#pragma once
// An exclusive lock shared by every program acting on one platform (the window, veltronactl, the
// tests), held for a step that reads the platform's state and then changes it. It is an flock on
// a folder inside the platform, so it ends with the process that holds it, however that ends.

#include "platform/PlatformPaths.h"

#include <string_view>

namespace veltrona {

// Where account creation serialises choosing the new id and running the script.
inline constexpr const char* kAccountCreationLockFolder = "/var/run/com.brantholm.vpn.accounts";

class PlatformLock {
public:
    // Makes the folder (a platform path) when missing, then waits for the lock.
    PlatformLock(const PlatformPaths& paths, std::string_view platformFolder);
    ~PlatformLock();
    PlatformLock(const PlatformLock&) = delete;
    PlatformLock& operator=(const PlatformLock&) = delete;

    // False when the folder could not be made or locked.
    bool locked() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

} // namespace veltrona
