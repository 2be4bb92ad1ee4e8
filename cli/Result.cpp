#include "cli/Result.h"

namespace veltrona::cli {

std::string jsonDocument(const Result& result)
{
    Json::Object members;
    members.reserve(result.data.size() + 3);
    members.emplace_back("ok", result.code == kDone);
    members.emplace_back("exitCode", static_cast<int>(result.code));
    members.insert(members.end(), result.data.begin(), result.data.end());
    if (result.code != kDone)
        members.emplace_back("error", result.textOnStandardOutput ? result.jsonError : result.text);
    return Json(std::move(members)).dump();
}

} // namespace veltrona::cli
