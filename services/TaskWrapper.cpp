// Holding the runner's state and authenticating the administrator.
#include "services/TaskWrapper.h"

#include <cstdint>
#include <utility>

namespace veltrona {

namespace {

// Extend rights and preauthorize; interaction is deliberately not allowed, so the platform
// never shows a password dialog of its own.
constexpr AuthorizationFlags kCopyRightsFlags = kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize;

std::vector<std::uint8_t> bytesOf(const std::string& text)
{
    return {text.begin(), text.end()};
}

PlistDictionary adminRightRule()
{
    PlistDictionary rule;
    rule.set("allow-root", "true");
    rule.set("class", "user");
    rule.set("comment", "Used by Quillfen applications to run a tool as admin over the duration of the application.");
    rule.set("group", "admin");
    rule.set("shared", "false");
    return rule;
}

} // namespace

TaskWrapper::TaskWrapper(AuthorizationServices& authorization, std::string resourceDirectory, SystemLog& log)
    : authorization_(authorization), resourceDirectory_(std::move(resourceDirectory)), log_(log)
{
}

TaskWrapper::~TaskWrapper()
{
    if (auth)
        authorization_.free(auth, kAuthorizationFlagDefaults);
}

void TaskWrapper::setAdminPassword(std::string password, std::string userName)
{
    adminPassword = std::move(password);
    adminUser = std::move(userName);
}

void TaskWrapper::setArgs(std::vector<std::string> newArguments)
{
    arguments = std::move(newArguments);
    timeLimit_ = kDefaultCommandTimeLimit;
}

bool TaskWrapper::checkIfSudoer()
{
    const AuthorizationItemSet rights{{kAdminRightName, {}, 0}};
    const AuthorizationItemSet environment{
        {kAuthorizationEnvironmentUsername, bytesOf(adminUser), 0},
        {kAuthorizationEnvironmentPassword, bytesOf(adminPassword), 0},
    };
    AuthorizationRef fresh;
    if (authorization_.create({}, {}, kAuthorizationFlagDefaults, fresh) != errAuthorizationSuccess)
        return false;
    setupRight(fresh, kAdminRightName);

    AuthorizationExternalForm form;
    const bool granted =
        authorization_.copyRights(fresh, rights, environment, kCopyRightsFlags) == errAuthorizationSuccess;
    // Without its external form a granted authorization cannot reach the tool: every later
    // run would quietly do nothing, so that counts as a failure too.
    const bool externalised = granted && authorization_.makeExternalForm(fresh, form) == errAuthorizationSuccess;
    if (granted && !externalised)
        log_.log("can't make the authorization's external form");
    if (!externalised) {
        // The earlier authorization stays alive: its form in extAuth must keep working.
        authorization_.free(fresh, kAuthorizationFlagDefaults);
        return false;
    }
    if (auth)
        authorization_.free(auth, kAuthorizationFlagDefaults);
    auth = fresh;
    extAuth = form;
    return true;
}

void TaskWrapper::setupRight(AuthorizationRef authorization, std::string_view name)
{
    // An existing definition is never overwritten: an administrator may have tightened it.
    if (authorization_.rightGet(name, nullptr) == errAuthorizationSuccess)
        return;
    // A failure to store is not reported: the following copyRights decides.
    authorization_.rightSet(authorization, name, adminRightRule());
}

} // namespace veltrona
