// backup FILE and restore FILE: the whole server in one file sealed with a passphrase, and back.
#include "backup/BackupFile.h"
#include "backup/BackupRestore.h"
#include "backup/BackupRoads.h"
#include "cli/Commands.h"

#include <iostream>

namespace veltrona::cli {

namespace {

constexpr const char* kPassphraseFlag = "--passphrase-stdin";

// The passphrase from the terminal without echo, or from standard input when asked to.
std::optional<std::string> passphrase(const CliOptions& options, InputLines& input, const char* prompt,
                                      std::optional<Failure>& failure)
{
    if (!options.flags.contains(kPassphraseFlag) && !InputLines::fromTerminal()) {
        failure = Failure{kRefused, "Give the passphrase on a terminal, or on standard input with --passphrase-stdin."};
        return std::nullopt;
    }
    std::optional<std::string> line = input.next(prompt);
    if (!line || line->empty()) {
        failure = Failure{kRefused, kNoPassphrase};
        return std::nullopt;
    }
    return line;
}

ExitCode exitCodeOf(const Status& status)
{
    return status.code() == 1 ? kRefused : kPlatformFailed;
}

bool confirmedOnTerminal()
{
    std::fputs("Restore this server from the backup? [y/N] ", stderr);
    std::fflush(stderr);
    std::string answer;
    return std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes");
}

Json::Array texts(const std::vector<std::string>& values)
{
    Json::Array array;
    for (const std::string& value : values)
        array.emplace_back(value);
    return array;
}

} // namespace

Result backupCommand(Session& session, const CliOptions& options, InputLines& input)
{
    const std::string& file = options.words[1];
    std::optional<Failure> failure;
    const std::optional<std::string> first = passphrase(options, input, "Passphrase: ", failure);
    if (!first)
        return failed(*failure);
    // Piped input may give the repetition or not; a terminal always asks for it.
    const std::optional<std::string> again = input.next("Again: ");
    if ((again || InputLines::fromTerminal()) && again != first)
        return failed(kRefused, kPassphrasesDiffer);

    const WrittenBackup written =
        writeServerBackup(session.locations(), session.runner(), *first, file, std::chrono::system_clock::now());
    if (!written.status)
        return failed(exitCodeOf(written.status), written.status.message());
    return done("The server is backed up to " + file + " (" + vpnAccountCountText(written.accounts) + ").",
                {{"file", file}, {"accounts", static_cast<std::int64_t>(written.accounts)}});
}

Result restoreCommand(Session& session, const CliOptions& options, InputLines& input)
{
    const std::string& file = options.words[1];
    const std::optional<std::string> bytes = readBackupFile(file);
    if (!bytes)
        return failed(kRefused, "The backup file cannot be read: " + file);
    std::optional<Failure> failure;
    const std::optional<std::string> given = passphrase(options, input, "Passphrase: ", failure);
    if (!given)
        return failed(*failure);

    const OpenedServerBackup opened = openServerBackup(*bytes, *given);
    if (!opened.backup)
        return failed(kRefused, opened.problem);
    const std::optional<ServerBackup>& backup = opened.backup;

    const std::string summary = backupSummary(*backup);
    if (!options.flags.contains("--yes")) {
        if (!InputLines::fromTerminal())
            return failed(kRefused, summary + "\nRun again with --yes to restore.");
        std::fputs((summary + "\n").c_str(), stderr);
        if (!confirmedOnTerminal())
            return failed(kRefused, "Nothing is restored.");
    }
    const RestoreReport report = restoreBackup(*backup, session.locations(), session.runner());
    Json::Object data{{"restoredAccounts", texts(report.restoredAccounts)},
                      {"skippedAccounts", texts(report.skippedAccounts)},
                      {"restarted", report.restarted}};
    if (!report.status)
        return failed(exitCodeOf(report.status), report.status.message(), std::move(data));
    return done(restoreReportText(report), std::move(data));
}

} // namespace veltrona::cli
