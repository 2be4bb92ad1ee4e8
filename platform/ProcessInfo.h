#pragma once
// What the program asks about itself and the machine: Foundation's NSProcessInfo and friends.

#include <string>

namespace veltrona {

class ProcessInfo {
public:
    virtual ~ProcessInfo() = default;

    // "Version 10.11.6 (Build 15G31)"; the empty text when the system cannot tell.
    virtual std::string operatingSystemVersionString() const = 0;
    // The running program's name (the keychain store's service name).
    virtual std::string processName() const = 0;
    // The current user's full name (NSFullUserName), e.g. "Admin User".
    virtual std::string fullUserName() const = 0;
    // The current user's login name (NSUserName), e.g. "admin".
    virtual std::string userName() const = 0;
    // The current user's home folder as a platform path ("/Users/admin"); map it before use.
    virtual std::string homeDirectory() const = 0;
};

} // namespace veltrona
