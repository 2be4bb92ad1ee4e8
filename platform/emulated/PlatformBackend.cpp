#include "platform/PlatformBackend.h"

#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "platform/emulated/KeychainServicesEmulated.h"
#include "platform/emulated/NotificationCenterEmulated.h"
#include "platform/emulated/ProcessInfoEmulated.h"
#include "platform/emulated/SystemLogStderr.h"

namespace veltrona {

PlatformBackend makePlatformBackend(const PlatformPaths& paths)
{
    PlatformBackend backend;
    auto processInfo = std::make_unique<ProcessInfoEmulated>(paths);
    backend.authorization = std::make_unique<AuthorizationServicesEmulated>(paths);
    backend.keychain = std::make_unique<KeychainServicesEmulated>(paths, processInfo->userName());
    backend.dynamicStore = std::make_unique<DynamicStoreEmulated>(paths);
    backend.notifications = std::make_unique<NotificationCenterEmulated>(paths);
    backend.log = std::make_unique<SystemLogStderr>(processInfo->processName());
    backend.processInfo = std::move(processInfo);
    return backend;
}

} // namespace veltrona
