#include "cli/Session.h"

#include "cli/InfoDictionary.h"
#include "platform/PlatformRoot.h"
#include "services/Keychain.h"
#include "services/ResourceDirectory.h"

#include <cstdlib>
#include <filesystem>

namespace veltrona::cli {

namespace {

constexpr const char* kCannotAuthenticate = "Access failed : Cannot authenticate the Administrator.";

// The keychain store logs a missing item; for a command line that is the usual case, not news.
class QuietLog final : public SystemLog {
public:
    void log(std::string_view) override { }
};

} // namespace

Session::Session(PlatformPaths paths, std::string resourceDirectory)
    : paths_(std::move(paths)), platform_(makePlatformBackend(paths_)), resourceDirectory_(std::move(resourceDirectory))
{
    runner_ = std::make_unique<TaskWrapper>(*platform_.authorization, resourceDirectory_, *platform_.log);
}

std::unique_ptr<Session> Session::open(const CliOptions& options, Failure& failure)
{
    const ResolvedRoot resolved = resolvePlatformRoot(options.platformRoot);
    if (!resolved.status) {
        failure = {kRefused, resolved.status.message()};
        return nullptr;
    }
    if (!isPlatformRoot(resolved.root)) {
        failure = {kPlatformFailed, "There is no emulated Mac in " + resolved.root.string()
                                        + ". Make one with: veltrona-platform init " + resolved.root.string()
                                        + " --admin NAME"};
        return nullptr;
    }
    const std::string resources = findResourceDirectory(runningProgramFolder());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(std::filesystem::path(resources) / "shellTool", ec)) {
        failure = {kPlatformFailed, "shellTool is missing from " + resources + "."};
        return nullptr;
    }
    ::setenv(kPlatformRootVariable, resolved.root.c_str(), 1);
    std::unique_ptr<Session> session(new Session(PlatformPaths(resolved.root), resources));
    // Each command judges the outcome by the state it leaves, so the tools' complaints are noise.
    session->runner_->setQuietErrors(!options.verbose);
    return session;
}

bool Session::tryPassword(const std::string& name, const std::string& password)
{
    runner_->setAdminPassword(password, name);
    return runner_->checkIfSudoer();
}

std::optional<Failure> Session::authenticate(const CliOptions& options, InputLines& input)
{
    std::string name = options.admin.value_or(platform_.processInfo->fullUserName());
    if (name.empty())
        name = platform_.processInfo->userName();
    if (name.empty())
        return Failure{kNotAuthorized, "No administrator is known; name one with --admin NAME."};

    // Taken out of the environment at once: every program started from here would inherit it.
    std::optional<std::string> given;
    if (const char* variable = std::getenv(kAdminPasswordVariable)) {
        given = variable;
        ::unsetenv(kAdminPasswordVariable);
    }
    if (given && !given->empty()) {
        if (tryPassword(name, *given))
            return std::nullopt;
        return Failure{kNotAuthorized, kCannotAuthenticate};
    }
    // The window remembers the password under its own program name; a stale one falls through.
    QuietLog quiet;
    Keychain keychain(*platform_.keychain, *platform_.processInfo, quiet);
    const std::string remembered = keychain.getPasswordForUser(name, infoString("CFBundleExecutable"), std::nullopt);
    if (remembered != "ERROR" && !remembered.empty() && tryPassword(name, remembered))
        return std::nullopt;

    const std::optional<std::string> typed = input.next("Administrator password: ");
    if (!typed || typed->empty())
        return Failure{kNotAuthorized, "No administrator password: set " + std::string(kAdminPasswordVariable)
                                           + " or give it on standard input."};
    if (tryPassword(name, *typed))
        return std::nullopt;
    return Failure{kNotAuthorized, kCannotAuthenticate};
}

const ServerFileLocations& Session::locations()
{
    if (!locations_) {
        runFolder_.emplace(paths_);
        locations_.emplace(resourceDirectory_, paths_, runFolder_->path());
    }
    return *locations_;
}

} // namespace veltrona::cli
