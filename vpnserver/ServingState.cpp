#include "vpnserver/ServingState.h"

#include "foundation/Text.h"
#include "vpnserver/ServerControl.h"

#include <fstream>

namespace veltrona {

namespace {

constexpr std::streamoff kLogTail = 256 * 1024;

std::string logTail(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return {};
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(size > kLogTail ? size - kLogTail : 0);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

std::string jobPidCommand()
{
    return "launchctl list | grep com.brantholm.vpn | awk '{print $1}'";
}

ServingState servingFromLog(std::string_view pidText, std::string_view systemLog)
{
    const std::string pid = trimWhitespace(pidText);
    if (pid.empty())
        return {false, "the server is stopped"};
    if (pid == "-" || pid.find_first_not_of("0123456789") != std::string::npos)
        return {false, "vpnd is not running"};
    const std::string mark = " vpnd[" + pid + ":";
    ServingState state{false, "vpnd is starting"};
    std::size_t start = 0;
    while (start < systemLog.size()) {
        std::size_t end = systemLog.find('\n', start);
        if (end == std::string_view::npos)
            end = systemLog.size();
        const std::string_view line = systemLog.substr(start, end - start);
        start = end + 1;
        const std::size_t at = line.find(mark);
        const std::size_t close = at == std::string_view::npos ? at : line.find("] ", at);
        if (close == std::string_view::npos)
            continue;
        const std::string_view message = line.substr(close + 2);
        if (message.rfind("Serving ", 0) == 0)
            state = {true, std::string(message.substr(8))};
        else if (message.rfind("Not serving: ", 0) == 0)
            state = {false, std::string(message.substr(13))};
        else if (message == "Stopped serving")
            state = {false, "the server is stopped"};
    }
    return state;
}

ServingState servingState(CommandRunner& runner, const PlatformPaths& platform)
{
    runner.setArgs(shellCommandArguments(jobPidCommand()));
    const std::string pid = runner.startProcessGetResult();
    return servingFromLog(pid, logTail(platform.map(kSystemLog)));
}

} // namespace veltrona
