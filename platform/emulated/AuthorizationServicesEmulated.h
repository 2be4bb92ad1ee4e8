#pragma once
// Authorization Services of the emulated Mac. The database is the property list
// var/db/auth.plist of the root; live external forms are kept in var/run/authorization/
// (folder 0700, files 0600), one file per form, named by the SHA-256 of its 32 bytes.

#include "platform/AuthorizationServices.h"
#include "platform/PlatformPaths.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

namespace veltrona {

class AuthorizationServicesEmulated final : public AuthorizationServices {
public:
    explicit AuthorizationServicesEmulated(PlatformPaths paths);
    ~AuthorizationServicesEmulated() override;
    AuthorizationServicesEmulated(const AuthorizationServicesEmulated&) = delete;
    AuthorizationServicesEmulated& operator=(const AuthorizationServicesEmulated&) = delete;

    OSStatus create(const AuthorizationItemSet& rights, const AuthorizationItemSet& environment,
                    AuthorizationFlags flags, AuthorizationRef& authorization) override;
    OSStatus rightGet(std::string_view rightName, PlistDictionary* definition) override;
    OSStatus rightSet(AuthorizationRef authorization, std::string_view rightName,
                      const PlistDictionary& definition) override;
    OSStatus copyRights(AuthorizationRef authorization, const AuthorizationItemSet& rights,
                        const AuthorizationItemSet& environment, AuthorizationFlags flags) override;
    OSStatus makeExternalForm(AuthorizationRef authorization, AuthorizationExternalForm& externalForm) override;
    OSStatus free(AuthorizationRef authorization, AuthorizationFlags flags) override;
    OSStatus checkExternalForm(const AuthorizationExternalForm& externalForm, std::string_view rightName) override;

private:
    struct Session {
        std::set<std::string> rights;
        std::optional<AuthorizationExternalForm> externalForm;
        // An administrator authenticated for this reference: only then may it change a defined right.
        bool administrator = false;
    };

    Session* session(AuthorizationRef authorization);
    // `administrator` is set when the rule authenticated a member of the admin group.
    OSStatus evaluate(const PlistDictionary& rule, const AuthorizationItemSet& environment, AuthorizationFlags flags,
                      int depth, bool& administrator);
    OSStatus obtain(std::string_view right, const AuthorizationItemSet& environment, AuthorizationFlags flags,
                    bool& administrator);

    PlatformPaths paths_;
    std::map<std::uint64_t, Session> sessions_;
    std::uint64_t nextId_ = 1;
};

} // namespace veltrona
