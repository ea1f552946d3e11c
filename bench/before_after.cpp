// Two builds of the command-line tool timed on the same jobs, taking turns run by run (one
// build, then the other, then the other first), so that a machine whose speed drifts
// slows both alike: the summaries and the trend on two years of history (and ten, given
// the file), the bank CTR import of the 100,000-row month into a fresh database, into the
// database that holds it already and into the two years, deleting that month from the two
// years, and the ORV receipts of the month as .xls into a fresh database; the file's care on
// the two years (check, check --full, backup) and the open items: the first listing of a
// file that has stored nothing, and the listing after the newest month is imported again; the
// month explained on a file that has stored nothing, again, and after its import, and the
// newest month after its import; the month's statement and its close.
// Each figure is a whole process: its start, the opening of the file and the job.
//
//   before_after BEFORE_CLI AFTER_CLI [--runs N] [--ten-years FILE] [--only JOB]...
//
// Each build works on copies of its own (its imports and deletions leave the rows as they
// were); the ten-year file is too large to copy, so both read it where it is and only the
// jobs that read run on it.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "BiffWriter.h"
#include "HistoryDatabase.h"
#include "sample/SampleSet.h"

extern char** environ;

namespace {

using namespace vesk;
namespace fs = std::filesystem;

struct Timing {
    double wall = 0;  // seconds
    double cpu = 0;   // user and system seconds of the process
};

// Runs the program to its end, its output thrown away; exits when it fails.
Timing runProgram(const std::vector<std::string>& argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (rc != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::string line;
        for (const std::string& a : argv) line += a + " ";
        std::fprintf(stderr, "failed: %s\n", line.c_str());
        std::exit(1);
    }
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            seconds(usage.ru_utime) + seconds(usage.ru_stime)};
}

// One build and the files it works on.
struct Build {
    std::string name;
    std::string cli;
    std::string history;   // two years, brought up to this build's layout
    std::string master;    // the office master only: what each fresh import starts from
    std::string month;     // the month imported once: what the same file goes into again
    std::string fresh;     // a fresh copy of master, made before each fresh import
    std::string unpaired;  // a copy of the history made before each first listing of open items

    Timing run(std::vector<std::string> args) const {
        args.insert(args.begin(), cli);
        return runProgram(args);
    }
    void quiet(const std::string& db) const { run({"--db", db, "daily-backups", "off"}); }
};

struct Job {
    std::string name;
    std::function<void(const Build&)> before;  // not timed
    std::function<Timing(const Build&)> timed;
    std::function<void(const Build&)> after;  // not timed
};

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double least(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BEFORE_CLI AFTER_CLI [--runs N] [--ten-years FILE] [--only JOB]...\n", argv[0]);
        return 2;
    }
    int runs = 7;
    std::string tenYears;
    std::vector<std::string> only;  // each --only names (part of) a job to run; none runs them all
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
        if (option == "--ten-years") tenYears = argv[i + 1];
        if (option == "--only") only.emplace_back(argv[i + 1]);
    }
    bench::ScratchFolder scratch;
    std::vector<Build> builds(2);
    builds[0].name = "before";
    builds[0].cli = fs::absolute(argv[1]).string();
    builds[1].name = "after";
    builds[1].cli = fs::absolute(argv[2]).string();

    // The month the history holds as June 2026, the very rows, and its receipts as .xls.
    constexpr int kYear = 2026, kMonth = 6;
    const sample::SampleOptions o = bench::historyMonth(kYear, kMonth);
    const std::string folder = scratch.file("sample");
    builds[1].run({"--db", scratch.file("unused.db"), "sample", folder, "--offices", std::to_string(o.offices),
                   "--rows", std::to_string(o.rows), "--year", std::to_string(kYear), "--month", std::to_string(kMonth),
                   "--seed", std::to_string(o.seed)});
    const std::string ctr = folder + "/" + sample::ctrFileName(kYear, kMonth);
    const std::string receipts = scratch.file("orv_receipts.xls");
    bench::saveAsXls(folder + "/" + sample::orvFileName(kYear, kMonth, true), receipts);
    // The history's newest month, as the month's routine imports it again.
    const int newestYear = bench::kHistoryFirstYear + (bench::kHistoryMonths - 1) / 12;
    const int newestMonth = 1 + (bench::kHistoryMonths - 1) % 12;
    const sample::SampleOptions n = bench::historyMonth(newestYear, newestMonth);
    const std::string newestFolder = scratch.file("newest");
    builds[1].run({"--db", scratch.file("unused.db"), "sample", newestFolder, "--offices", std::to_string(n.offices),
                   "--rows", std::to_string(n.rows), "--year", std::to_string(newestYear), "--month",
                   std::to_string(newestMonth), "--seed", std::to_string(n.seed)});
    const std::string newest = newestFolder + "/" + sample::ctrFileName(newestYear, newestMonth);
    const std::string asOf = "31/12/" + std::to_string(newestYear);

    std::fprintf(stderr, "preparing the files of each build\n");
    const std::string history = bench::historyDatabase();
    for (Build& b : builds) {
        b.history = scratch.file(b.name + "-history.db");
        fs::copy_file(history, b.history);
        b.quiet(b.history);
        for (const char* report : {"ctr", "orv"}) b.run({"--db", b.history, "summary", report});
        b.run({"--db", b.history, "trend"});
        b.master = scratch.file(b.name + "-master.db");
        b.run({"--db", b.master, "import-master", folder + "/" + sample::kOfficeMasterFileName, "--yes"});
        b.quiet(b.master);
        b.month = scratch.file(b.name + "-month.db");
        fs::copy_file(b.master, b.month);
        b.run({"--db", b.month, "import-ctr", ctr, "--yes"});
        b.fresh = scratch.file(b.name + "-fresh.db");
        b.unpaired = scratch.file(b.name + "-unpaired.db");
        b.run({"--db", b.history, "open-items", "--as-of", asOf});  // the pairing stored
    }
    // The newer layout first, so that the older build only ever reads it.
    if (!tenYears.empty())
        for (auto b = builds.rbegin(); b != builds.rend(); ++b) {
            b->quiet(tenYears);
            for (const char* report : {"ctr", "orv"}) b->run({"--db", tenYears, "summary", report});
            b->run({"--db", tenYears, "trend"});
        }

    const auto freshCopy = [](const Build& b) {
        fs::copy_file(b.master, b.fresh, fs::copy_options::overwrite_existing);
    };
    const auto reading = [](const std::string& name, const std::string& file, std::vector<std::string> args) {
        return Job{name,
                   {},
                   [file, args](const Build& b) {
                       std::vector<std::string> all{"--db", file.empty() ? b.history : file};
                       all.insert(all.end(), args.begin(), args.end());
                       return b.run(all);
                   },
                   {}};
    };
    std::vector<Job> jobs;
    for (const auto& [years, file] : {std::pair<std::string, std::string>{"2y", ""}, {"10y", tenYears}}) {
        if (years == "10y" && file.empty()) continue;
        jobs.push_back(reading("summary ctr " + years, file, {"summary", "ctr"}));
        jobs.push_back(reading("summary orv " + years, file, {"summary", "orv"}));
        jobs.push_back(reading("trend " + years, file, {"trend"}));
    }
    jobs.push_back({"import-ctr fresh",
                    freshCopy,
                    [&](const Build& b) {
                        return b.run({"--db", b.fresh, "import-ctr", ctr, "--yes"});
                    },
                    {}});
    jobs.push_back({"import-ctr again",
                    {},
                    [&](const Build& b) {
                        return b.run({"--db", b.month, "import-ctr", ctr, "--yes"});
                    },
                    {}});
    jobs.push_back({"import-ctr into 2y",
                    {},
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "import-ctr", ctr, "--yes"});
                    },
                    {}});
    jobs.push_back({"delete-month 2y",
                    {},
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "delete-month", "ctr", "2026", "Jun", "--yes"});
                    },
                    [&](const Build& b) {
                        b.run({"--db", b.history, "import-ctr", ctr, "--yes"});
                    }});
    const std::string copy = scratch.file("backup.db");
    jobs.push_back(reading("check 2y", "", {"check"}));
    jobs.push_back(reading("check --full 2y", "", {"check", "--full"}));
    jobs.push_back({"backup 2y",
                    {},
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "backup", copy, "--yes"});
                    },
                    [&](const Build&) { fs::remove(copy); }});
    jobs.push_back({"open-items first 2y",
                    [&](const Build& b) {
                        fs::copy_file(history, b.unpaired, fs::copy_options::overwrite_existing);
                        b.quiet(b.unpaired);
                        b.run({"--db", b.unpaired, "summary", "ctr"});  // its layout brought up to date
                    },
                    [&](const Build& b) {
                        return b.run({"--db", b.unpaired, "open-items", "--as-of", asOf});
                    },
                    [&](const Build& b) { fs::remove(b.unpaired); }});
    // The month explained with its matched rows on a file that has stored nothing, and again
    // once that explanation stored what it paired.
    const auto unpairedCopy = [&](const Build& b) {
        fs::copy_file(history, b.unpaired, fs::copy_options::overwrite_existing);
        b.quiet(b.unpaired);
        b.run({"--db", b.unpaired, "summary", "ctr"});
    };
    const std::vector<std::string> explain{"explain", "2026", "6", "All", "--matched"};
    const auto explainOn = [explain](const Build& b) {
        std::vector<std::string> args{"--db", b.unpaired};
        args.insert(args.end(), explain.begin(), explain.end());
        return b.run(args);
    };
    jobs.push_back({"explain first 2y", unpairedCopy, explainOn, [&](const Build& b) { fs::remove(b.unpaired); }});
    jobs.push_back({"explain stored 2y",
                    [&](const Build& b) {
                        unpairedCopy(b);
                        explainOn(b);
                    },
                    explainOn, [&](const Build& b) { fs::remove(b.unpaired); }});
    // The month explained right after its bank rows are imported again: the three months its
    // listing and hints read are paired afresh (and stored), the others taken as stored.
    jobs.push_back({"explain imported 2y",
                    [&](const Build& b) {
                        b.run({"--db", b.history, "import-ctr", ctr, "--yes"});
                    },
                    [&](const Build& b) {
                        std::vector<std::string> args{"--db", b.history};
                        args.insert(args.end(), explain.begin(), explain.end());
                        return b.run(args);
                    },
                    {}});
    // The routine month: the newest imported again and explained. Its next month holds nothing,
    // so two months with rows are paired afresh, with the last days of the one before.
    jobs.push_back({"explain newest imported 2y",
                    [&](const Build& b) {
                        b.run({"--db", b.history, "import-ctr", newest, "--yes"});
                    },
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "explain", std::to_string(newestYear),
                                      std::to_string(newestMonth), "All", "--matched"});
                    },
                    {}});
    jobs.push_back({"open-items newest again 2y",
                    [&](const Build& b) {
                        b.run({"--db", b.history, "import-ctr", newest, "--yes"});
                    },
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "open-items", "--as-of", asOf});
                    },
                    {}});
    // The month's statement, and its close: each close reopened after it, untimed, so that every
    // run finds the month open.
    jobs.push_back(reading("statement 2y", "", {"statement", "2026", "6"}));
    jobs.push_back({"close 2y",
                    {},
                    [&](const Build& b) {
                        return b.run({"--db", b.history, "close", "2026", "6", "--yes"});
                    },
                    [&](const Build& b) {
                        b.run({"--db", b.history, "reopen", "2026", "6", "--yes"});
                    }});
    jobs.push_back({"import-orv .xls fresh",
                    freshCopy,
                    [&](const Build& b) {
                        return b.run({"--db", b.fresh, "import-orv", receipts, "--yes"});
                    },
                    {}});

    std::printf("%-22s %8s %17s %17s %9s %9s %7s\n", "job", "runs", "before min/med s", "after min/med s", "cpu bef",
                "cpu aft", "after/b");
    for (const Job& job : jobs) {
        if (!only.empty() && std::none_of(only.begin(), only.end(), [&](const std::string& part) {
                return job.name.find(part) != std::string::npos;
            }))
            continue;
        std::vector<double> wall[2], cpu[2];
        for (int r = 0; r < runs; ++r)
            for (int k = 0; k < 2; ++k) {
                const std::size_t i = std::size_t(r % 2 ? 1 - k : k);  // the other build first every other run
                const Build& b = builds[i];
                if (job.before) job.before(b);
                const Timing t = job.timed(b);
                if (job.after) job.after(b);
                wall[i].push_back(t.wall);
                cpu[i].push_back(t.cpu);
            }
        std::printf("%-22s %8d %8.3f /%7.3f %8.3f /%7.3f %9.3f %9.3f %7.2f\n", job.name.c_str(), runs, least(wall[0]),
                    median(wall[0]), least(wall[1]), median(wall[1]), median(cpu[0]), median(cpu[1]),
                    median(wall[1]) / median(wall[0]));
        std::fflush(stdout);
    }
    return 0;
}
