#include "cli/Cli.h"

#include "cli/CommandShape.h"
#include "cli/Commands.h"
#include "cli/InfoDictionary.h"

#include <cstdio>
#include <string>

namespace veltrona::cli {

namespace {

void printLine(std::FILE* stream, const std::string& text)
{
    if (!text.empty()) {
        std::fwrite(text.data(), 1, text.size(), stream);
        std::fputc('\n', stream);
    }
    std::fflush(stream);
}

int report(const Result& result, bool json)
{
    if (json)
        printLine(stdout, jsonDocument(result));
    else if (result.code == kDone || result.textOnStandardOutput)
        printLine(stdout, result.text);
    else
        printLine(stderr, "veltronactl: " + result.text);
    return result.code;
}

Result dispatch(Session& session, const CliOptions& options, InputLines& input)
{
    const std::string& command = options.words[0];
    if (command == "status")
        return statusCommand(session);
    if (command == "start" || command == "restart" || command == "stop")
        return serverCommand(session, command);
    if (command == "settings")
        return settingsCommand(session, options);
    if (command == "secret")
        return secretCommand(session, input);
    if (command == "users")
        return usersCommand(session, options, input);
    if (command == "profile")
        return profileCommand(session, options, input);
    if (command == "suggest")
        return suggestCommand(session);
    if (command == "check")
        return checkCommand(session);
    if (command == "backup")
        return backupCommand(session, options, input);
    if (command == "restore")
        return restoreCommand(session, options, input);
    if (command == "check-update")
        return checkUpdateCommand(session);
    if (command == "sessions")
        return sessionsCommand(session, options);
    return uninstallCommand(session, options);
}

} // namespace

int runCli(const std::vector<std::string>& arguments)
{
    const ParsedOptions parsed = parseCliOptions(arguments);
    const CliOptions& options = parsed.options;
    if (parsed.error)
        return report(failed(*parsed.error), options.json);
    if (options.help) {
        std::fputs(usageText().c_str(), stdout);
        return kDone;
    }
    const std::string version = infoString("CFBundleShortVersionString");
    if (options.version)
        return report(done("veltronactl " + version, {{"version", version}}), options.json);
    if (std::optional<Failure> wrong = checkCommandShape(options))
        return report(failed(*wrong), options.json);

    Failure failure;
    std::unique_ptr<Session> session = Session::open(options, failure);
    if (!session)
        return report(failed(failure), options.json);
    InputLines input;
    if (std::optional<Failure> denied = session->authenticate(options, input))
        return report(failed(*denied), options.json);
    return report(dispatch(*session, options, input), options.json);
}

} // namespace veltrona::cli
