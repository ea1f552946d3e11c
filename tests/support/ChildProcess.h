#pragma once

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/Platform.h"

namespace vesk::test {

/// A child's side of its talk with the test that started it: it can tell the test it has
/// reached a point, hand it a line, and wait to be let go on.
class Child {
  public:
    explicit Child(platform::ParentChannel& channel) : m_channel(channel) {}

    void reached();
    /// A line for the test, which it takes with heard() once the child has reached its point.
    void say(const std::string& line);
    /// Waits for the test to let it go on; false when the test has closed its end instead
    /// (it is done with the child, or has gone).
    bool awaitRelease();

  private:
    platform::ParentChannel& m_channel;
};

/// What a child process runs: a routine of the test program, by its name, with string
/// arguments (it shares nothing else with the test); its return is the child's status.
using ChildRoutine = int (*)(Child& self, const std::vector<std::string>& args);

/// Registers a routine under its name when the test program starts.
class ChildRoutineEntry {
  public:
    ChildRoutineEntry(const char* name, ChildRoutine routine);
};

/// Defines a child routine: VESK_CHILD_ROUTINE(name) { ... self.reached(); ... return 0; }
/// with `self` (Child&) and `args` in scope. Names are unique in a test program.
#define VESK_CHILD_ROUTINE(name)                                                                  \
    int veskChildRoutine_##name(::vesk::test::Child& self, const std::vector<std::string>& args); \
    const ::vesk::test::ChildRoutineEntry veskChildEntry_##name(#name, &veskChildRoutine_##name); \
    int veskChildRoutine_##name([[maybe_unused]] ::vesk::test::Child& self,                       \
                                [[maybe_unused]] const std::vector<std::string>& args)

/// For a test program's main, before anything else: started as a child (--vesk-child=NAME
/// ARG...), runs the routine and gives its status; nullopt when the tests are to run.
std::optional<int> runChildRoutine(int argc, char** argv);

/// A second process: this test program again, running one of its child routines, or another
/// program. The same on every system: a new program, never a copy of this one, that talks
/// through its standard input and output.
class ChildProcess {
  public:
    using Environment = std::vector<std::pair<std::string, std::optional<std::string>>>;

    /// The routine `name` of this test program, with its arguments.
    explicit ChildProcess(const std::string& routine, const std::vector<std::string>& args = {});
    /// Another program with its arguments (its path first): its input from the file named,
    /// its output to the files named (none: nothing, nowhere), the environment changed for it.
    ChildProcess(const std::vector<std::string>& argv, const std::string& out, const std::string& err,
                 const std::string& in = "", const Environment& environment = {});
    /// A routine's child is let go (its input ends) and waited for.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    /// Waits for the child to reach its point; false when it ended first.
    bool awaitReached();
    /// Without waiting: true once the child has reached its point (each reach counted once),
    /// or has ended (see wait()).
    bool reachedYet();
    /// The lines it said before it last reached its point.
    std::vector<std::string> heard();
    void release();
    /// Kills the child where it is, as a power cut or the task manager would end the program.
    void kill();
    /// The child's exit status; -1 when it did not exit on its own (killed, crashed).
    int wait();
    /// How it ended, once wait() has returned; or, waited for up to `limit`, nullopt when it
    /// still runs.
    platform::Ending ending();
    std::optional<platform::Ending> waitFor(std::chrono::milliseconds limit);

  private:
    /// Reads one message: a reach (true), a line (kept; false), the end (nullopt).
    std::optional<bool> readMessage();

    platform::Process m_process;
    bool m_routine;
    std::deque<std::string> m_said;
};

}  // namespace vesk::test
