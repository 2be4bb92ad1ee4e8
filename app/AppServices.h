#pragma once
// What the window controller is given: the platform it acts on and the program's own services.
// main() builds them for the emulated Mac; tests build them for a temporary platform root.

#include "platform/PlatformPaths.h"

#include <string>

namespace veltrona {

class AuthorizationServices;
class CommandRunner;
class DynamicStore;
class Interaction;
class KeychainServices;
class NotificationCenter;
class ProcessInfo;
class SystemLog;
class UserDefaults;

struct AppServices {
    PlatformPaths paths;
    const ProcessInfo& processInfo;
    AuthorizationServices& authorization;
    KeychainServices& keychain;
    DynamicStore& dynamicStore;
    NotificationCenter& notifications;
    SystemLog& log;
    UserDefaults& defaults;
    Interaction& interaction;
    // The application's resource directory: shellTool and the VPNStuff folder.
    std::string resourceDirectory;
    // When set, commands run here instead of through unixTask (tests record them).
    CommandRunner* commandRunner = nullptr;
};

} // namespace veltrona
