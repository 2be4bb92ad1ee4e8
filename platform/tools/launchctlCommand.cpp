#include "platform/tools/launchctlCommand.h"

#include "platform/emulated/LaunchdJobProcess.h"
#include "platform/emulated/LaunchdState.h"
#include "platform/tools/ToolOptions.h"

namespace veltrona {

namespace {

constexpr int kUsageExit = 64;

struct JobOptions {
    bool writeOverride = false;
    bool force = false;
    std::vector<std::string> paths;
};

// Options come first and may be clustered ("-wF"); "--" ends them.
bool parseJobOptions(const std::vector<std::string>& arguments, bool allowForce, JobOptions& options)
{
    std::optional<ParsedOptions> parsed =
        parseOptions({arguments.begin() + 1, arguments.end()}, allowForce ? "wF" : "w");
    if (!parsed)
        return false;
    for (const auto& [letter, value] : parsed->options)
        (letter == 'w' ? options.writeOverride : options.force) = true;
    options.paths = std::move(parsed->operands);
    return !options.paths.empty();
}

const char* messageFor(LaunchdOutcome outcome)
{
    switch (outcome) {
    case LaunchdOutcome::Done: return nullptr;
    case LaunchdOutcome::NoSuchFile: return "No such file or directory";
    case LaunchdOutcome::InvalidJob: return "Invalid property list";
    case LaunchdOutcome::AlreadyLoaded: return "service already loaded";
    case LaunchdOutcome::NotLoaded: return "Could not find specified service";
    case LaunchdOutcome::Disabled: return "Service is disabled";
    case LaunchdOutcome::StateUnreadable: return "Invalid property list";
    case LaunchdOutcome::StateUnwritable: return "Operation not permitted";
    }
    return "Operation not permitted";
}

// launchd starts a job it has just loaded when the job asks for it, and stops one it unloads.
void runOrStop(const PlatformPaths& paths, const LaunchdJob& job, bool load)
{
    LaunchdJobProcess process(paths, job.label);
    if (!load)
        process.stop();
    else if (job.runAtLoad)
        process.start(job.programArguments, job.keepAlive);
}

int runJobCommand(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& err)
{
    const bool load = arguments[0] == "load";
    JobOptions options;
    if (!parseJobOptions(arguments, load, options)) {
        err << "Usage: launchctl " << arguments[0] << " <service-path, service-path2, ...>\n";
        return kUsageExit;
    }
    LaunchdState state(paths);
    for (const std::string& given : options.paths) {
        std::optional<std::string> file = paths.hostPath(given);
        if (!file) {
            // A path stepping out with ".." could leave the platform root.
            err << given << ": Operation not permitted\n";
            continue;
        }
        LaunchdJob job;
        const LaunchdOutcome outcome = load ? state.load(*file, options.writeOverride, options.force, &job)
                                            : state.unload(*file, options.writeOverride, &job);
        if (outcome == LaunchdOutcome::StateUnreadable) {
            // Name the file that is broken, so the user looks in the right place.
            err << (state.disabledOverrides() ? kLaunchdLoadedFile : kLaunchdDisabledFile)
                << ": Invalid property list\n";
            continue;
        }
        if (const char* message = messageFor(outcome)) {
            err << given << ": " << message << "\n";
            continue;
        }
        runOrStop(paths, job, load);
    }
    return 0;
}

int runList(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out, std::ostream& err)
{
    if (arguments.size() > 1) {
        err << "Usage: launchctl list\n";
        return kUsageExit;
    }
    std::optional<std::vector<LaunchdJob>> jobs = LaunchdState(paths).loadedJobs();
    if (!jobs) {
        err << kLaunchdLoadedFile << ": Invalid property list\n";
        return 1;
    }
    out << "PID\tStatus\tLabel\n";
    for (const LaunchdJob& job : *jobs) {
        const LaunchdRunState run = LaunchdJobProcess(paths, job.label).state();
        out << (run.programPid ? std::to_string(*run.programPid) : "-") << "\t" << run.lastExitStatus << "\t"
            << job.label << "\n";
    }
    return 0;
}

} // namespace

int runLaunchctl(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                 std::ostream& err)
{
    if (arguments.empty()) {
        err << "Usage: launchctl <subcommand> ... | help [subcommand]\n";
        return kUsageExit;
    }
    const std::string& command = arguments[0];
    if (command == "load" || command == "unload")
        return runJobCommand(arguments, paths, err);
    if (command == "list")
        return runList(arguments, paths, out, err);
    err << "Unrecognized subcommand: " << command << "\n";
    return kUsageExit;
}

} // namespace veltrona
