#pragma once
// What one command gives back: the exit code, the text for people and the members for --json.

#include "cli/ExitCode.h"
#include "cli/Json.h"

#include <string>

namespace veltrona::cli {

struct Result {
    ExitCode code = kDone;
    // Standard output when done, standard error otherwise; ends without a line break.
    std::string text;
    // The command's members of the --json object, beside "ok", "exitCode" and "error".
    Json::Object data;
    // A report that is the answer itself, failed or not (check), goes to standard output unprefixed.
    bool textOnStandardOutput = false;
    // The --json "error" for such a report, in place of the whole text.
    std::string jsonError;
};

inline Result done(std::string text, Json::Object data = {})
{
    return {kDone, std::move(text), std::move(data), false, {}};
}

inline Result failed(ExitCode code, std::string message, Json::Object data = {})
{
    return {code, std::move(message), std::move(data), false, {}};
}

inline Result failed(const Failure& failure)
{
    return {failure.code, failure.message, {}, false, {}};
}

// The whole --json object: {"ok":..., "exitCode":..., the data members..., "error": text when failed}.
std::string jsonDocument(const Result& result);

} // namespace veltrona::cli
