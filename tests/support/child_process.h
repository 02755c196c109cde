#pragma once
// Test support: runs a piece of a test in a child process, so that the test can end it at any
// point, as a kill would, and a hang ends in a failure instead of stopping the tests.

#include <csignal>
#include <exception>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

// The status a child gives when its body threw.
constexpr int kChildThrew = 3;

// Starts body in a child process that an alarm ends after timeoutSeconds. The child exits with
// the code body returns, or kChildThrew when it throws. Returns the child's pid.
inline pid_t StartChild(const std::function<int()>& body, unsigned timeoutSeconds = 20)
{
    const pid_t pid = fork();
    if (pid == 0) {
        alarm(timeoutSeconds);
        int code = kChildThrew;
        try {
            code = body();
        } catch (...) {
        }
        // No destructors, no atexit handlers: the child ends as abruptly as a killed program.
        _exit(code);
    }
    return pid;
}

// Waits for the child pid; returns its exit code, or 128 + the signal that ended it.
inline int WaitForChild(pid_t pid)
{
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) {
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// StartChild, then WaitForChild.
inline int RunInChild(const std::function<int()>& body, unsigned timeoutSeconds = 20)
{
    return WaitForChild(StartChild(body, timeoutSeconds));
}
