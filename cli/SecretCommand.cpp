// secret set: the shared secret from standard input, through the sheet's commands and file update.
#include "accounts/TypedEntry.h"
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "vpnserver/SharedSecret.h"

namespace veltrona::cli {

Result secretCommand(Session& session, InputLines& input)
{
    const std::optional<std::string> line = input.next("Shared secret: ");
    if (!line || line->empty())
        return failed(kRefused, "No shared secret was given on standard input.");
    // The sheet's field would have kept only letters, marks and digits.
    const std::optional<std::string> secret = acceptedEntry(*line, false);
    if (!secret)
        return failed(kRefused, kSharedSecretCharactersMessage);

    installIfNeeded(session);
    if (Status stored = storeSharedSecret(*secret, session.locations(), session.runner()); !stored)
        return failed(kPlatformFailed, stored.message());
    if (installedSettings(session).settings.sharedSecret != *secret)
        return failed(kPlatformFailed, "The server file does not hold the new shared secret.");
    return done("The shared secret is stored.", {{"sharedSecretSet", true}});
}

} // namespace veltrona::cli
