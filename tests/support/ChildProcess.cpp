#include "ChildProcess.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

bool ChildProcess::run(const std::function<bool()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::alarm(60);
        const bool ok = body();
        std::fflush(nullptr);
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void ChildProcess::fillDiskAt(qint64 bytes)
{
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit;
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(bytes);
    ::setrlimit(RLIMIT_FSIZE, &limit);
}
