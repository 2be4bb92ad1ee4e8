#pragma once
// The live external forms of the emulated Authorization Services: var/run/authorization/ in the
// platform root (mode 0700), one file per form (mode 0600) named by the SHA-256 of its 32 bytes,
// holding in plain lines the authorizing process (pid and start time) and the granted rights. The
// bytes themselves are never stored.

#include "foundation/Status.h"
#include "platform/AuthorizationServices.h"
#include "platform/emulated/ProcessStartTime.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <sys/types.h>

namespace veltrona {

class AuthorizationLiveForms {
public:
    explicit AuthorizationLiveForms(std::filesystem::path platformRoot);

    std::filesystem::path folder() const;
    std::filesystem::path fileFor(const AuthorizationExternalForm& form) const;

    // Records (or rewrites) the form as belonging to this process with these rights.
    Status record(const AuthorizationExternalForm& form, const std::set<std::string>& rights);
    void forget(const AuthorizationExternalForm& form);

    enum class Check { Valid, Unknown, Stale, LacksRight };
    // Valid only for a recorded form of a live authorizing process that holds the right. A stale
    // form (its process gone or replaced) is forgotten on the way.
    Check check(const AuthorizationExternalForm& form, std::string_view right);
    // Forgets every form whose authorizing process has ended, as authd does when its client dies
    // (a killed front end cannot forget its own). Recording a form does this first.
    void dropEnded();

private:
    std::filesystem::path root_;
};

} // namespace veltrona
