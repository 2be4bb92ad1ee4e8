#include "cli/Cli.h"
#include "services/TaskWrapper.h"

#include <csignal>

namespace {

// Ending veltronactl ends the command it runs as root too: the tool leads a process group of its
// own, which the terminal's Ctrl-C does not reach.
extern "C" void endWithTool(int signal)
{
    veltrona::endRunningTool();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

} // namespace

int main(int argc, char** argv)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, endWithTool);
    return veltrona::cli::runCli(std::vector<std::string>(argv + 1, argv + argc));
}
