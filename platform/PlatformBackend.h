#pragma once
// The one choice of what stands behind the platform interfaces. This build links the emulated Mac
// of a platform root (platform/emulated/); a real Mac's services would be another implementation
// of these two functions, picked by the build, with nothing above this header changing.

#include "platform/AuthorizationServices.h"
#include "platform/DynamicStore.h"
#include "platform/KeychainServices.h"
#include "platform/NotificationCenter.h"
#include "platform/PlatformPaths.h"
#include "platform/ProcessInfo.h"
#include "platform/SystemLog.h"

#include <memory>
#include <string_view>

namespace veltrona {

struct PlatformBackend {
    std::unique_ptr<ProcessInfo> processInfo;
    std::unique_ptr<AuthorizationServices> authorization;
    std::unique_ptr<KeychainServices> keychain;
    std::unique_ptr<DynamicStore> dynamicStore;
    std::unique_ptr<NotificationCenter> notifications;
    std::unique_ptr<SystemLog> log;
};

// The services of the platform at these paths, for a program being put together.
PlatformBackend makePlatformBackend(const PlatformPaths& paths);

// AuthorizationServices::checkExternalForm without the rest of Authorization Services, so the
// privileged helper that every command starts stays small.
OSStatus checkExternalForm(const PlatformPaths& paths, const AuthorizationExternalForm& externalForm,
                           std::string_view rightName);

} // namespace veltrona
