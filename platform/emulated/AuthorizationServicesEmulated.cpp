#include "platform/emulated/AuthorizationServicesEmulated.h"

#include "foundation/PlistStrings.h"
#include "platform/PlatformBackend.h"
#include "platform/emulated/AuthorizationDatabase.h"
#include "platform/emulated/AuthorizationLiveForms.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"

#include <openssl/rand.h>

#include <algorithm>

namespace veltrona {

namespace {

constexpr AuthorizationFlags kKnownFlags = kAuthorizationFlagInteractionAllowed | kAuthorizationFlagExtendRights
                                           | kAuthorizationFlagPartialRights | kAuthorizationFlagDestroyRights
                                           | kAuthorizationFlagPreAuthorize;
// Rules naming rules: a loop in a hand-edited database must not recurse for ever.
constexpr int kMaximumRuleDepth = 8;

const std::string* textValue(const PlistDictionary& dictionary, std::string_view key)
{
    const PlistValue* value = dictionary.find(key);
    return value ? value->string() : nullptr;
}

std::optional<std::string> environmentValue(const AuthorizationItemSet& environment, std::string_view name)
{
    for (const AuthorizationItem& item : environment) {
        if (item.name == name)
            return std::string(item.value.begin(), item.value.end());
    }
    return std::nullopt;
}

bool hasEmptyName(const AuthorizationItemSet& rights)
{
    return std::any_of(rights.begin(), rights.end(), [](const AuthorizationItem& item) { return item.name.empty(); });
}

} // namespace

AuthorizationServicesEmulated::AuthorizationServicesEmulated(PlatformPaths paths) : paths_(std::move(paths))
{
}

AuthorizationServicesEmulated::~AuthorizationServicesEmulated()
{
    // Authorizations die with their process; leave no live forms behind.
    AuthorizationLiveForms forms(paths_.root());
    for (const auto& [id, session] : sessions_) {
        if (session.externalForm)
            forms.forget(*session.externalForm);
    }
}

AuthorizationServicesEmulated::Session* AuthorizationServicesEmulated::session(AuthorizationRef authorization)
{
    auto it = sessions_.find(authorization.id);
    return it == sessions_.end() ? nullptr : &it->second;
}

OSStatus AuthorizationServicesEmulated::create(const AuthorizationItemSet& rights,
                                               const AuthorizationItemSet& environment, AuthorizationFlags flags,
                                               AuthorizationRef& authorization)
{
    authorization = {};
    if ((flags & ~kKnownFlags) != 0)
        return errAuthorizationInvalidFlags;
    const AuthorizationRef created{nextId_++};
    sessions_.emplace(created.id, Session{});
    if (!rights.empty()) {
        if (OSStatus status = copyRights(created, rights, environment, flags); status != errAuthorizationSuccess) {
            sessions_.erase(created.id);
            return status;
        }
    }
    authorization = created;
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::rightGet(std::string_view rightName, PlistDictionary* definition)
{
    if (rightName.empty())
        return errAuthorizationInvalidSet;
    std::optional<PlistDictionary> found = AuthorizationDatabase(paths_.root()).right(rightName);
    if (!found)
        return errAuthorizationDenied;
    if (definition)
        *definition = std::move(*found);
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::rightSet(AuthorizationRef authorization, std::string_view rightName,
                                                 const PlistDictionary& definition)
{
    const Session* current = session(authorization);
    if (!current)
        return errAuthorizationInvalidRef;
    if (rightName.empty())
        return errAuthorizationInvalidSet;
    // As on a Mac, redefining a right takes an administrator: otherwise anyone could loosen the
    // program's right and have shellTool run their commands.
    if (!current->administrator && AuthorizationDatabase(paths_.root()).right(rightName))
        return errAuthorizationDenied;
    Status stored = AuthorizationDatabase(paths_.root()).setRight(rightName, definition);
    return stored.ok() ? errAuthorizationSuccess : errAuthorizationInternal;
}

OSStatus AuthorizationServicesEmulated::evaluate(const PlistDictionary& rule, const AuthorizationItemSet& environment,
                                                 AuthorizationFlags flags, int depth, bool& administrator)
{
    if (depth > kMaximumRuleDepth)
        return errAuthorizationDenied;
    const std::string* ruleClass = textValue(rule, "class");
    if (!ruleClass)
        return errAuthorizationDenied;
    if (*ruleClass == "allow")
        return errAuthorizationSuccess;
    if (*ruleClass == "rule") {
        std::vector<std::string> names;
        if (const PlistValue* named = rule.find("rule"); named && named->string()) {
            names.push_back(*named->string());
        } else {
            names = stringsIn(named);
        }
        if (names.empty())
            return errAuthorizationDenied;
        AuthorizationDatabase database(paths_.root());
        for (const std::string& name : names) {
            std::optional<PlistDictionary> referenced = database.rule(name);
            if (!referenced)
                return errAuthorizationDenied;
            if (OSStatus status = evaluate(*referenced, environment, flags, depth + 1, administrator);
                status != errAuthorizationSuccess)
                return status;
        }
        return errAuthorizationSuccess;
    }
    if (*ruleClass != "user")
        return errAuthorizationDenied;

    std::optional<std::string> name = environmentValue(environment, kAuthorizationEnvironmentUsername);
    std::optional<std::string> password = environmentValue(environment, kAuthorizationEnvironmentPassword);
    if (!name || !password) {
        // The emulation never shows a password dialog: with interaction allowed nobody answers it.
        return (flags & kAuthorizationFlagInteractionAllowed) ? errAuthorizationCanceled
                                                              : errAuthorizationInteractionNotAllowed;
    }
    const std::string* group = textValue(rule, "group");
    const Directory directory(paths_.root());
    std::optional<Record> user = authenticateUser(directory, *name, *password, group ? *group : "");
    if (!user)
        return errAuthorizationDenied;
    administrator = administrator || isGroupMember(directory, *user, "admin");
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::obtain(std::string_view right, const AuthorizationItemSet& environment,
                                               AuthorizationFlags flags, bool& administrator)
{
    AuthorizationDatabase database(paths_.root());
    std::optional<PlistDictionary> rule = database.right(right);
    if (!rule)
        rule = database.rule("default");
    if (!rule) {
        // An undefined right falls back to the Mac's default: an administrator must authenticate.
        rule = PlistDictionary();
        rule->set("class", "user");
        rule->set("group", "admin");
    }
    return evaluate(*rule, environment, flags, 0, administrator);
}

OSStatus AuthorizationServicesEmulated::copyRights(AuthorizationRef authorization, const AuthorizationItemSet& rights,
                                                   const AuthorizationItemSet& environment, AuthorizationFlags flags)
{
    Session* current = session(authorization);
    if (!current)
        return errAuthorizationInvalidRef;
    if ((flags & ~kKnownFlags) != 0)
        return errAuthorizationInvalidFlags;
    if (hasEmptyName(rights))
        return errAuthorizationInvalidSet;

    std::set<std::string> granted;
    bool administrator = false;
    for (const AuthorizationItem& right : rights) {
        if (current->rights.count(right.name))
            continue;
        OSStatus status = (flags & kAuthorizationFlagExtendRights)
                              ? obtain(right.name, environment, flags, administrator)
                              : errAuthorizationDenied;
        if (status == errAuthorizationSuccess)
            granted.insert(right.name);
        else if (!(flags & kAuthorizationFlagPartialRights))
            return status;
    }
    current->administrator = current->administrator || administrator;
    if (granted.empty())
        return errAuthorizationSuccess;
    current->rights.insert(granted.begin(), granted.end());
    // A form already handed out names this authorization: it now holds the new rights too.
    if (current->externalForm
        && !AuthorizationLiveForms(paths_.root()).record(*current->externalForm, current->rights).ok())
        return errAuthorizationInternal;
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::makeExternalForm(AuthorizationRef authorization,
                                                         AuthorizationExternalForm& externalForm)
{
    Session* current = session(authorization);
    if (!current)
        return errAuthorizationInvalidRef;
    AuthorizationExternalForm form;
    if (current->externalForm) {
        form = *current->externalForm;
    } else {
        // All zero is what an unauthenticated caller sends; a real form never takes that value.
        do {
            if (RAND_bytes(form.bytes.data(), static_cast<int>(form.bytes.size())) != 1)
                return errAuthorizationInternal;
        } while (std::all_of(form.bytes.begin(), form.bytes.end(), [](std::uint8_t b) { return b == 0; }));
    }
    if (!AuthorizationLiveForms(paths_.root()).record(form, current->rights).ok())
        return errAuthorizationInternal;
    current->externalForm = form;
    externalForm = form;
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::free(AuthorizationRef authorization, AuthorizationFlags flags)
{
    Session* current = session(authorization);
    if (!current)
        return errAuthorizationInvalidRef;
    if ((flags & ~kKnownFlags) != 0)
        return errAuthorizationInvalidFlags;
    if (current->externalForm)
        AuthorizationLiveForms(paths_.root()).forget(*current->externalForm);
    sessions_.erase(authorization.id);
    return errAuthorizationSuccess;
}

OSStatus AuthorizationServicesEmulated::checkExternalForm(const AuthorizationExternalForm& externalForm,
                                                          std::string_view rightName)
{
    return veltrona::checkExternalForm(paths_, externalForm, rightName);
}

} // namespace veltrona
