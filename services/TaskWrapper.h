#pragma once
// The privileged command runner: authenticates the administrator once, then runs every argument
// vector as root through the tool shellTool in the application's resource directory.

#include "platform/AuthorizationServices.h"
#include "platform/SystemLog.h"
#include "services/CommandRunner.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace veltrona {

// The program's own right; shellTool runs nothing for an authorization that lacks it.
inline constexpr const char* kAdminRightName = "com.brantholm.orlaquin.admin";

// How long a command may run unless its caller says otherwise: long enough for any of the
// program's own commands, short enough that a hung one does not hold the window for good.
inline constexpr std::chrono::milliseconds kDefaultCommandTimeLimit = std::chrono::minutes(2);

// Ends the tool now running (its whole process group, whatever it started there), if any.
// Async-signal-safe: a front end calls it from its SIGINT and SIGTERM handlers.
void endRunningTool() noexcept;

// What a run returns for the bytes the tool printed: "" unless they are non-empty, valid UTF-8;
// otherwise the text less its last character (the trailing newline; a whole character, never
// half of one, so the result stays valid UTF-8).
std::string runnerResultFromOutput(std::string_view output);

class TaskWrapper final : public CommandRunner {
public:
    // `resourceDirectory` holds shellTool and is every run's working directory.
    TaskWrapper(AuthorizationServices& authorization, std::string resourceDirectory, SystemLog& log);
    ~TaskWrapper() override;
    TaskWrapper(const TaskWrapper&) = delete;
    TaskWrapper& operator=(const TaskWrapper&) = delete;

    // Password first, as callers have always passed them.
    void setAdminPassword(std::string password, std::string userName);
    void setArgs(std::vector<std::string> newArguments) override;
    void setTimeLimit(std::chrono::milliseconds limit) override { timeLimit_ = limit; }
    // Authenticates the held name and password for the program's right, never prompting.
    bool checkIfSudoer();
    // Defines the right in the authorization database unless it is already defined.
    void setupRight(AuthorizationRef authorization, std::string_view name);
    // Blocks until the tool ends; a call made while a run is in progress returns "" at once.
    std::string startProcessGetResult() override;

    // Called every few milliseconds while a run waits (the window repaints from it).
    void setIdleHook(std::function<void()> hook) { idleHook_ = std::move(hook); }
    // Sends what the tools write on standard error nowhere: a front end that judges each
    // command by the state it leaves has no use for their complaints.
    void setQuietErrors(bool quiet) { quietErrors_ = quiet; }
    bool isRunning() const { return task.has_value(); }
    const AuthorizationExternalForm& externalForm() const { return extAuth; }

private:
    struct RunningTool {
        pid_t pid = -1;
    };

    std::string runTool();

    std::vector<std::string> arguments;
    std::optional<RunningTool> task;
    std::string adminPassword;
    std::string adminUser;
    AuthorizationRef auth;
    AuthorizationExternalForm extAuth;

    AuthorizationServices& authorization_;
    std::string resourceDirectory_;
    SystemLog& log_;
    std::function<void()> idleHook_;
    bool quietErrors_ = false;
    std::chrono::milliseconds timeLimit_ = kDefaultCommandTimeLimit;
};

} // namespace veltrona
