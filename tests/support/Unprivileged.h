#pragma once

#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// Runs a check as a user who may not write other users' files. Root may write anywhere, so when
// the tests run as root the check runs in a child process switched to the user "nobody"; the
// files it is to find unwritable must then belong to someone else and be readable to it.
inline bool RunUnprivileged(const std::function<bool()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}
