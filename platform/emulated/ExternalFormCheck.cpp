// Kept apart from PlatformBackend.cpp: shellTool links this object alone, not the directory and
// password hashing the rest of the emulated Authorization Services pulls in.
#include "platform/PlatformBackend.h"

#include "platform/emulated/AuthorizationLiveForms.h"

namespace veltrona {

OSStatus checkExternalForm(const PlatformPaths& paths, const AuthorizationExternalForm& externalForm,
                           std::string_view rightName)
{
    switch (AuthorizationLiveForms(paths.root()).check(externalForm, rightName)) {
    case AuthorizationLiveForms::Check::Valid: return errAuthorizationSuccess;
    case AuthorizationLiveForms::Check::LacksRight: return errAuthorizationDenied;
    case AuthorizationLiveForms::Check::Unknown:
    case AuthorizationLiveForms::Check::Stale: break;
    }
    return errAuthorizationInvalidRef;
}

} // namespace veltrona
