#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

extern char** environ;

namespace vesk::test {

/// A second process: a child of this one running `work`, or another program. The child
/// can tell the test it has reached a point (reached()), and be told to go on (release()).
class ChildProcess {
  public:
    /// Forks; the child runs work and ends with the status it returns (1 on an exception).
    /// It must open its own files: nothing opened before the fork is safe to share.
    explicit ChildProcess(const std::function<int(ChildProcess& self)>& work) {
        pipes();
        m_pid = fork();
        if (m_pid < 0) throw std::runtime_error("fork failed");
        if (m_pid == 0) {
            m_child = true;
            int status = 1;
            try {
                status = work(*this);
            } catch (...) {
            }
            _exit(status);  // no destructors: they belong to the parent's objects
        }
        ::close(m_toParent[1]);
        ::close(m_toChild[0]);
    }

    /// Starts a program with its arguments; its input comes from the file named, its output goes
    /// to the files named (none: nothing, nowhere).
    ChildProcess(const std::vector<std::string>& argv, const std::string& out, const std::string& err,
                 const std::string& in = "") {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.empty() ? "/dev/null" : out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.empty() ? "/dev/null" : err.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 0, in.empty() ? "/dev/null" : in.c_str(), O_RDONLY, 0);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const int rc = posix_spawn(&m_pid, args[0], &actions, nullptr, args.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) throw std::runtime_error("cannot start " + argv.front());
    }

    ~ChildProcess() {
        if (m_child) return;
        if (m_pid > 0 && m_status < 0) {
            release();
            wait();
        }
        for (int fd : {m_toParent[0], m_toChild[1]})
            if (fd >= 0) ::close(fd);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // In the child.
    void reached() {
        const char c = 1;
        if (::write(m_toParent[1], &c, 1) != 1) _exit(3);
    }
    void awaitRelease() {
        char c = 0;
        if (::read(m_toChild[0], &c, 1) < 0) _exit(3);
    }

    // In the test.
    /// Waits for the child to reach its point; false when it ended first.
    bool awaitReached() {
        char c = 0;
        return ::read(m_toParent[0], &c, 1) == 1;
    }
    /// Without waiting: true once the child has reached its point (each reach counted once),
    /// or has ended (see wait()).
    bool reachedYet() {
        pollfd p{m_toParent[0], POLLIN, 0};
        if (::poll(&p, 1, 0) != 1) return false;
        char c = 0;
        if (::read(m_toParent[0], &c, 1) < 0) return false;
        return true;
    }
    /// Kills the child where it is, as a power cut or the task manager would end the program.
    void kill() {
        if (m_pid > 0 && m_status < 0) ::kill(m_pid, SIGKILL);
    }
    void release() {
        const char c = 1;
        if (m_toChild[1] >= 0 && ::write(m_toChild[1], &c, 1) != 1) {
        }
    }
    /// The child's exit status; -1 when it did not exit on its own.
    int wait() {
        if (m_status >= 0) return m_status;
        int status = 0;
        if (waitpid(m_pid, &status, 0) != m_pid) return -1;
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        return m_status;
    }

  private:
    void pipes() {
        if (::pipe(m_toParent) != 0 || ::pipe(m_toChild) != 0) throw std::runtime_error("pipe failed");
    }

    pid_t m_pid = -1;
    bool m_child = false;
    int m_status = -1;
    int m_toParent[2] = {-1, -1};
    int m_toChild[2] = {-1, -1};
};

}  // namespace vesk::test
