#pragma once

#include <functional>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace korvane::testing {

// Runs a check as a user whom file permissions stop. Permissions do not stop root, so as root
// the check runs in a child process that has become the unprivileged "nobody" (65534); as
// anyone else it runs right here. The check answers with a small status (0 for success) that
// must fit in an exit code.
class UnprivilegedRun {
public:
    static constexpr int kUnavailable = 255;

    static int Run(const std::function<int()>& check) {
        if (::geteuid() != 0)
            return check();
        const pid_t child = ::fork();
        if (child < 0)
            return kUnavailable;
        if (child == 0) {
            constexpr gid_t kNobodyGroup = 65534;
            constexpr uid_t kNobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(kNobodyGroup) != 0 ||
                ::setuid(kNobody) != 0)
                ::_exit(kUnavailable);
            ::_exit(check() & 0xff);
        }
        int status = 0;
        if (::waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return kUnavailable;
        return WEXITSTATUS(status);
    }
};

} // namespace korvane::testing
