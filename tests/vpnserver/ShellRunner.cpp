#include "tests/vpnserver/ShellRunner.h"

#include <cerrno>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace veltrona::test {

std::string ShellRunner::startProcessGetResult()
{
    runs_.push_back(held_);
    if (held_.empty())
        return {};

    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const std::string path = firstPathFolder_ + ":/usr/bin:/bin";
    const pid_t child = fork();
    if (child < 0) {
        close(pipeFds[0]);
        close(pipeFds[1]);
        return {};
    }
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        setenv("PATH", path.c_str(), 1);
        for (const auto& [name, value] : environment_)
            setenv(name.c_str(), value.c_str(), 1);
        std::vector<char*> argv;
        for (std::string& argument : held_)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    for (;;) {
        const ssize_t count = read(pipeFds[0], buffer, sizeof buffer);
        if (count > 0)
            output.append(buffer, static_cast<std::size_t>(count));
        else if (count == 0 || errno != EINTR)
            break;
    }
    close(pipeFds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!output.empty())
        output.pop_back();
    return output;
}

} // namespace veltrona::test
