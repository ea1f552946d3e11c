#include "support/ChildProcess.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <map>

namespace vesk::test {

namespace {

constexpr const char* kChildOption = "--vesk-child=";

// The talk, a byte saying what comes: a reach, or a line (its length in four bytes, then it).
constexpr char kReached = 'R';
constexpr char kLine = 'L';

std::map<std::string, ChildRoutine>& routines() {
    static std::map<std::string, ChildRoutine> all;
    return all;
}

platform::SpawnOptions routineRun(const std::string& routine, const std::vector<std::string>& args) {
    platform::SpawnOptions options;
    options.arguments = {platform::programFile(), kChildOption + routine};
    options.arguments.insert(options.arguments.end(), args.begin(), args.end());
    options.input = platform::Redirect::pipe();
    options.output = platform::Redirect::pipe();
    return options;
}

platform::SpawnOptions programRun(const std::vector<std::string>& argv, const std::string& out, const std::string& err,
                                  const std::string& in, const ChildProcess::Environment& environment) {
    using platform::Redirect;
    platform::SpawnOptions options;
    options.arguments = argv;
    options.input = in.empty() ? Redirect::nowhere() : Redirect::file(in);
    options.output = out.empty() ? Redirect::nowhere() : Redirect::file(out);
    options.error = err.empty() ? Redirect::nowhere() : Redirect::file(err);
    options.environment = environment;
    return options;
}

// A child whose parent has gone has no one to talk to: it ends.
[[noreturn]] void parentGone() { std::_Exit(3); }

}  // namespace

void Child::reached() {
    if (!m_channel.write(&kReached, 1)) parentGone();
}

void Child::say(const std::string& line) {
    const auto size = std::uint32_t(line.size());
    const char head[5] = {kLine, char(size & 0xff), char((size >> 8) & 0xff), char((size >> 16) & 0xff),
                          char(size >> 24)};
    if (!m_channel.write(head, sizeof head) || !m_channel.write(line.data(), line.size())) parentGone();
}

bool Child::awaitRelease() {
    char c = 0;
    return m_channel.read(&c, 1) == 1;
}

ChildRoutineEntry::ChildRoutineEntry(const char* name, ChildRoutine routine) {
    if (!routines().emplace(name, routine).second) {
        std::fprintf(stderr, "Two child routines are named %s\n", name);
        std::abort();
    }
}

std::optional<int> runChildRoutine(int argc, char** argv) {
    std::vector<std::string> args = platform::arguments(argc, argv);
    if (args.size() < 2 || args[1].rfind(kChildOption, 0) != 0) return std::nullopt;
    const std::string name = args[1].substr(std::string(kChildOption).size());
    args.erase(args.begin(), args.begin() + 2);
    const auto found = routines().find(name);
    if (found == routines().end()) {
        std::fprintf(stderr, "No child routine is named %s\n", name.c_str());
        return 2;
    }
    // A routine that crashes is the test's to see, not a person's to dismiss.
    platform::crashQuietly();
    try {
        platform::ParentChannel channel;
        Child self(channel);
        return found->second(self, args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "The child routine %s failed: %s\n", name.c_str(), e.what());
        return 1;
    }
}

ChildProcess::ChildProcess(const std::string& routine, const std::vector<std::string>& args)
    : m_process(routineRun(routine, args)), m_routine(true) {}

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& out, const std::string& err,
                           const std::string& in, const Environment& environment)
    : m_process(programRun(argv, out, err, in, environment)), m_routine(false) {}

ChildProcess::~ChildProcess() {
    try {
        if (m_routine) m_process.closeInput();
        m_process.wait();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "A child process could not be waited for: %s\n", e.what());
    }
}

std::optional<bool> ChildProcess::readMessage() {
    char kind = 0;
    if (m_process.read(&kind, 1) == 0) return std::nullopt;
    if (kind == kReached) return true;
    unsigned char size[4] = {};
    for (std::size_t got = 0; got < sizeof size;) {
        const std::size_t n = m_process.read(size + got, sizeof size - got);
        if (n == 0) return std::nullopt;
        got += n;
    }
    const std::size_t length =
        std::size_t(size[0]) | std::size_t(size[1]) << 8 | std::size_t(size[2]) << 16 | std::size_t(size[3]) << 24;
    std::string line(length, '\0');
    for (std::size_t got = 0; got < line.size();) {
        const std::size_t n = m_process.read(line.data() + got, line.size() - got);
        if (n == 0) return std::nullopt;
        got += n;
    }
    m_said.push_back(std::move(line));
    return false;
}

bool ChildProcess::awaitReached() {
    for (;;) {
        const std::optional<bool> message = readMessage();
        if (!message) return false;
        if (*message) return true;
    }
}

bool ChildProcess::reachedYet() {
    while (m_process.readable()) {
        const std::optional<bool> message = readMessage();
        if (!message || *message) return true;
    }
    return false;
}

std::vector<std::string> ChildProcess::heard() {
    std::vector<std::string> lines(m_said.begin(), m_said.end());
    m_said.clear();
    return lines;
}

void ChildProcess::release() {
    const char c = 1;
    m_process.write(&c, 1);  // false: it has ended, and wait() says how
}

void ChildProcess::kill() { m_process.kill(); }

int ChildProcess::wait() {
    const platform::Ending ended = m_process.wait();
    return ended.how == platform::Ending::How::Exited ? int(ended.code) : -1;
}

platform::Ending ChildProcess::ending() { return m_process.wait(); }

std::optional<platform::Ending> ChildProcess::waitFor(std::chrono::milliseconds limit) {
    return m_process.waitFor(limit);
}

}  // namespace vesk::test
