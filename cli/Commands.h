#pragma once
// The commands, each run on an opened session whose administrator is authenticated.

#include "cli/CliOptions.h"
#include "cli/InputLines.h"
#include "cli/Result.h"
#include "cli/Session.h"
#include "profiles/ProfileBuilder.h"

namespace veltrona::cli {

Result statusCommand(Session& session);
// "start", "restart" or "stop".
Result serverCommand(Session& session, const std::string& action);
Result settingsCommand(Session& session, const CliOptions& options);
Result secretCommand(Session& session, InputLines& input);
Result usersCommand(Session& session, const CliOptions& options, InputLines& input);
Result profileCommand(Session& session, const CliOptions& options, InputLines& input);
// profile NAME --serve, with the profile built as profileCommand builds it.
Result serveProfile(Session& session, const CliOptions& options, const ProfileBuild& build, const ProfileInput& input);
Result suggestCommand(Session& session);
// Exit 1 when a setup check failed; the report goes to standard output either way.
Result checkCommand(Session& session);
Result checkUpdateCommand(Session& session);
// "sessions", or "sessions disconnect NAME".
Result sessionsCommand(Session& session, const CliOptions& options);
// The passphrase from the terminal, or from standard input with --passphrase-stdin.
Result backupCommand(Session& session, const CliOptions& options, InputLines& input);
// Shows what the file holds and asks before it restores; --yes in place of the question.
Result restoreCommand(Session& session, const CliOptions& options, InputLines& input);
Result uninstallCommand(Session& session, const CliOptions& options);

} // namespace veltrona::cli
