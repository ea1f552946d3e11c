#include "cli/Call.h"
#include "cli/Cli.h"
#include "cli/Verb.h"
#include "cli/Verbs.h"
#include "compare/CompareWording.h"
#include "compare/PairingRules.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"
#include "pairs/HandPairs.h"
#include "review/SignOffs.h"

namespace vesk::cli {

namespace {

// Options and counts that several verbs share.
const Option kYes{"yes"};
const Option kOut{"out", "DIR", "the folder the workbook goes into (default: VESK - ORV Output on the desktop)"};
const Option kReplace{
    "yes", "", "replaces a workbook of the same name in the folder (without it one is kept, and nothing written)"};
const char* const kOneReport = "give exactly one report workbook";
const char* const kOfficeOrAll = "give YEAR, MONTH and an office name or All";
const char* const kFromAndTo = "give FROM and TO (YYYY-MM), or neither for every month held";
const char* const kStatementMonth = "give YEAR and MONTH";
const Option kNow{"now", "", "computed afresh, not as the month was closed"};
const char* const kGridKinds =
    "give consolidated, detailed or unmatched, YEAR and MONTH (or explained, YEAR, MONTH, OFFICE)";

// The kinds of export, each writing a workbook the forms' export buttons would.
std::vector<Verb> exportKinds() {
    const Option filter{"filter", "TEXT", "only the offices whose names begin with TEXT, as the search box filters"};
    const Option office{"office", "NAME|All",
                        "the office picked in the office list, or All for every differing office; the detailed "
                        "grid lists its dates"};
    return {
        {.name = "consolidated",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {office, filter, kOut, kReplace},
         .help = "Compares the month and writes the consolidated grid, as compare prints it, to a formatted workbook; "
                 "prints the file's path.",
         .run = runExportConsolidated,
         .database = Database::Snapshot,
         .wrongCount = kGridKinds},
        {.name = "detailed",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {office, filter, kOut, kReplace},
         .help = "Compares the month and writes the dates on which the office given with --office differs, as detail "
                 "prints them, to a formatted workbook (without --office there is nothing to export); prints the "
                 "file's path.",
         .run = runExportDetailed,
         .database = Database::Snapshot,
         .wrongCount = kGridKinds},
        {.name = "unmatched",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {kOut, kReplace},
         .help = "Writes what the month's comparison leaves out, as unmatched prints it, to a formatted workbook; "
                 "prints the file's path.",
         .run = runExportUnmatched,
         .database = Database::Snapshot,
         .wrongCount = kGridKinds},
        {.name = "explained",
         .arguments = {{"YEAR"}, {"MONTH"}, {"OFFICE|All"}},
         .options = {kOut, kReplace, {"matched", "", "the matched and group lines too"}},
         .help = "Writes the month's explained rows of the office, or of every differing office, as explain prints "
                 "them, to a formatted workbook; prints the file's path.",
         .run = runExportExplained,
         .database = Database::Open,  // it reads one state of the file itself, once the hints' months are stored
         .wrongCount = "give explained, YEAR, MONTH and an office name or All"},
        {.name = "trend",
         .arguments = {{"FROM", true}, {"TO", true}},
         .options = {kOut, kReplace},
         .help = "Writes the months from FROM to TO (YYYY-MM; default: every month held) as trend prints them, with "
                 "a chart, and the office map to Trend_FROM_TO.xlsx; prints the file's path.",
         .run = runExportTrend,
         .database = Database::Open,
         .wrongCount = kFromAndTo},
        {.name = "open-items",
         .options = {{"as-of", "dd/mm/yyyy", "the day the ages count to (default: today)"}, kOut, kReplace},
         .help = "Writes Open_Items_<dd-mm-yyyy>.xlsx: the open items as open-items lists them, after a line per age "
                 "bucket; prints the file's path.",
         .run = runExportOpenItems,
         .database = Database::Open,
         .wrongCount = "open-items takes no arguments but --as-of and --out"},
        {.name = "statement",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {kNow, kOut, kReplace},
         .help = "Writes <Month>_<Year>_Statement.xlsx: the month's statement and the roll-forward of its open items "
                 "as statement prints them, with the title, period and scope lines, the line saying when it was "
                 "closed and by whom with the first 16 digits of its digest (or reopened, or computed and not "
                 "closed), and the items behind the roll-forward on a second sheet; prints the file's path.",
         .run = runExportStatement,
         .database = Database::Open,  // as open-items
         .wrongCount = kStatementMonth},
    };
}

// The kinds of print: each export's list, as pages in a PDF rather than a workbook.
std::vector<Verb> printKinds() {
    const Option pdf{"pdf", "FILE", "the PDF the pages are written to (needed)"};
    const Option replace{"yes", "", "replaces a file of that name (without it the file is kept, and nothing written)"};
    std::vector<Verb> kinds;
    for (Verb kind : exportKinds()) {
        if (kind.name == "trend") continue;  // its chart is painted by the window alone
        std::erase_if(kind.options, [](const Option& o) { return o.name == "out" || o.name == "yes"; });
        kind.options.push_back(pdf);
        kind.options.push_back(replace);
        kind.help = "Writes to the PDF given with --pdf the pages the window's Print… gives for what export " +
                    kind.name + " writes: A4, the title lines and the headers on every page, page x of y; prints " +
                    "the file's path.";
        // Without --pdf the export's own function would write its workbook.
        kind.run = [run = kind.run](Call& call) {
            if (!call.option("pdf")) throw UsageError("give --pdf FILE: the PDF the pages are written to");
            return run(call);
        };
        kind.wrongCount = "give " + kind.name + " and its arguments as export " + kind.name + " takes them";
        kinds.push_back(std::move(kind));
    }
    return kinds;
}

// The rules' options, each named by its stored key, then the verb's own.
std::vector<Option> ruleOptions(std::vector<Option> own) {
    std::vector<Option> options;
    for (compare::Rule rule : compare::kRules) {
        const std::string bounds = compare::isYesNo(rule) ? "yes|no"
                                                          : std::to_string(compare::leastValue(rule)) + " to " +
                                                                std::to_string(compare::mostValue(rule));
        options.push_back({compare::ruleKey(rule), compare::isYesNo(rule) ? "yes|no" : "N",
                           std::string(compare::ruleText(rule)) + " (" + bounds + ")"});
    }
    options.insert(options.end(), own.begin(), own.end());
    return options;
}

// Each rule's option and what it does, for the verb's help.
std::string ruleMeanings() {
    std::string text;
    for (compare::Rule rule : compare::kRules)
        text += std::string(" --") + compare::ruleKey(rule) + ": " + compare::ruleMeaning(rule);
    return text;
}

std::vector<Verb> table() {
    return {
        {.name = "inspect",
         .arguments = {{"FILE"}},
         .options = {{"rows", "N"}, {"sheet", "first|active"}},
         .help = "Prints a workbook's cells as an import stores them, tab-separated, a tab, carriage return, line "
                 "break or backslash inside a cell as \\t, \\r, \\n or \\\\; error cells print #ERROR.",
         .run = runInspect,
         .wrongCount = "give exactly one workbook file"},
        {.name = "sample",
         .arguments = {{"DIR"}},
         .options = {{"offices", "N"}, {"rows", "N"}, {"year", "Y"}, {"month", "M"}, {"seed", "S"}},
         .help = "Writes a month of sample workbooks (office master, bank CTR, ORV receipts and payments) into DIR "
                 "and lists the differences planted in them.",
         .run = runSample,
         .wrongCount = "give exactly one folder"},
        {.name = "import-master",
         .arguments = {{"FILE"}},
         .options = {kYes},
         .help = "Replaces the office master with the workbook's offices; the division office becomes the "
                 "configured office.",
         .run = runImportMaster,
         .database = Database::Open,
         .wrongCount = "give exactly one office master workbook"},
        {.name = "offices",
         .help = "Lists the head and division offices, then the configured office.",
         .run = runOffices,
         .database = Database::Open},
        {.name = "set-office",
         .arguments = {{"NAME"}},
         .options = {kYes},
         .help = "Makes the named office the configured office.",
         .run = runSetOffice,
         .database = Database::Open,
         .wrongCount = "give exactly one office name"},
        {.name = "delete-offices",
         .options = {kYes},
         .help = "Deletes every office and the configured office.",
         .run = runDeleteOffices,
         .database = Database::Open,
         .wrongCount = "takes no arguments besides --yes"},
        {.name = "import-ctr",
         .arguments = {{"FILE"}},
         .options = {kYes},
         .help = "Imports a month of the bank's CTR report, replacing what the database holds for that month.",
         .run = runImportCtr,
         .database = Database::Open,
         .wrongCount = kOneReport},
        {.name = "import-orv",
         .arguments = {{"FILE"}},
         .options = {kYes},
         .help = "Imports a month of ORV receipts or payments, replacing that month's entries of the same kind.",
         .run = runImportOrv,
         .database = Database::Open,
         .wrongCount = kOneReport},
        {.name = "summary",
         .arguments = {{"ctr|orv"}},
         .help = "Shows the report's monthly summary, newest month first.",
         .run = runSummary,
         .database = Database::Open,
         .wrongCount = "give the report: ctr or orv"},
        {.name = "delete-month",
         .arguments = {{"ctr|orv"}, {"YEAR"}, {"MON"}},
         .options = {kYes},
         .help = "Deletes a month of the report; MON is Jan to Dec.",
         .run = runDeleteMonth,
         .database = Database::Open,
         .wrongCount = "give the report (ctr or orv), the year and the month (Jan..Dec)"},
        {.name = "compare",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {{"filter", "TEXT"}},
         .help = "Compares the month office by office and prints the offices that differ, then their total "
                 "(tab-separated, a differing amount marked *). YEAR: 1900 to 9999; MONTH: 1 to 12 or the "
                 "month's name. --filter shows only the offices whose names begin with TEXT.",
         .run = runCompare,
         .database = Database::Snapshot},
        {.name = "detail",
         .arguments = {{"YEAR"}, {"MONTH"}, {"OFFICE|All"}},
         .help = "Compares the month, then prints the dates on which the office (or every differing office, "
                 "for All) differs.",
         .run = runDetail,
         .database = Database::Snapshot,
         .wrongCount = kOfficeOrAll},
        {.name = "unmatched",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .help = "Prints what the month's comparison leaves out, one tab-separated line per group: "
                 "bank-unknown-facility (FACILITY_ID, rows, deposits, withdrawals), orv-only-office (office "
                 "name, entries, receipts, payments) and orv-unknown-office (office id, entries, receipts, "
                 "payments). Nothing printed: nothing left out.",
         .run = runUnmatched,
         .database = Database::Snapshot},
        {.name = "explain",
         .arguments = {{"YEAR"}, {"MONTH"}, {"OFFICE|All"}},
         .options = {{"matched"}},
         .help =
             "Pairs the month's bank rows of the office (or of every office the comparison lists, for All) "
             "with its ORV entries and prints one tab-separated line per row: Office Name, Kind, Side, Date, "
             "ID, Amount, Class (Matched, Group, Timing, Amounts differ, Only in VESK, Only in ORV, Paired by hand), "
             "Group, "
             "Other "
             "Date, Status, Note (the row's note), Hint (for a row left unpaired, its likely counterpart and why "
             "it did "
             "not pair). Without --matched the matched, group and manual lines are left out.",
         .run = runExplain,
         .database = Database::Open,  // as export explained
         .wrongCount = kOfficeOrAll},
        {.name = "export",
         .help = "Compares the month (and lists the office's dates with --office) and writes the grid, filtered "
                 "as the search box would, or what the comparison leaves out (unmatched), to a formatted "
                 "workbook in DIR (default: VESK - ORV Output on the desktop); prints the file's path. explained "
                 "writes the month's explained rows of the office, or of every differing office, as explain prints "
                 "them. trend writes the months from FROM to TO (default: every month held) as trend prints them, "
                 "with a chart, and the office map to Trend_FROM_TO.xlsx; open-items writes "
                 "Open_Items_<dd-mm-yyyy>.xlsx: the open items as open-items lists them, after a line per age "
                 "bucket; statement writes <Month>_<Year>_Statement.xlsx: the month's statement and its items.",
         .wrongCount = kGridKinds,
         .subVerbs = exportKinds(),
         .groupSynopsis = "consolidated|detailed|unmatched YEAR MONTH [--office NAME|All] [--filter TEXT] | explained "
                          "YEAR MONTH OFFICE|All [--matched] | trend [FROM TO] | open-items [--as-of D] | statement "
                          "YEAR MONTH [--now]; each [--out DIR] [--yes]"},
        {.name = "print",
         .help = "Prints what an export writes, as the windows' Print… prints it, to a PDF: each kind takes the "
                 "arguments and options of its export but --out, and --pdf FILE. The pages are painted by the "
                 "windowed program (vesk-orv), started unseen; no display is needed.",
         .wrongCount =
             "give the kind (consolidated, detailed, unmatched, explained, open-items or statement) and its arguments",
         .subVerbs = printKinds(),
         .groupSynopsis =
             "consolidated|detailed|unmatched YEAR MONTH [--office NAME|All] [--filter TEXT] | explained "
             "YEAR MONTH OFFICE|All [--matched] | open-items [--as-of D] | statement YEAR MONTH [--now]; each --pdf "
             "FILE [--yes]"},
        {.name = "office-lists",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {{"office", "NAME|All",
                      "the office picked in the office list, or All (the default) for every "
                      "differing office"},
                     kOut,
                     kReplace,
                     {"pdf", "", "a PDF of each list beside its workbook, as the window prints it"}},
         .help =
             "Compares the month and writes, for each differing office (or the one given with --office), a "
             "workbook to send to it, <Office Name>_<Month>_<Year>_To_Explain.xlsx: under the division's and the "
             "configured office's names, its differing dates as detail prints them, then its rows as explain "
             "prints them without --matched, with a column for its reply. Characters a file name cannot hold "
             "become _, and an office whose name then agrees with another's gets (2), (3) and so on. Then "
             "Office_Lists_<Month>_<Year>.xlsx, a line per list written: Office Name, Differing Dates, Rows to "
             "Explain, File. Prints each path. A workbook whose name is taken is kept, and nothing of that office "
             "written, unless --yes replaces it; the others are written all the same and the verb then fails "
             "(status 1), naming each file kept. With --pdf each list written is also printed to a PDF of its name, "
             "asked about alike.",
         .run = runOfficeLists,
         .database = Database::Open,  // it reads one state of the file itself, once the hints' months are stored
         .wrongCount = kStatementMonth},
        {.name = "trend",
         .arguments = {{"FROM", true}, {"TO", true}},
         .options = {{"offices"}},
         .help = "Compares every month from FROM to TO (YYYY-MM; default: every month the data holds) as compare "
                 "does and prints one tab-separated line per month that holds data: Month, Offices (with bank "
                 "rows), Differing (listed), the listed offices' VESK Dep, ORV Dep, Diff Dep, VESK Wdl, ORV Wdl, "
                 "Diff Wdl, To Explain (their absolute differences added up) and Open (the month's open items "
                 "after hand pairs and settling notes, their amounts added up without sign). --offices prints the map "
                 "instead: a line per office listed in any of the months, a column per month holding its To "
                 "Explain, empty where it agrees or has no bank rows.",
         .run = runTrend,
         .database = Database::Open,
         .wrongCount = kFromAndTo,
         .optionsFirst = true},
        {.name = "note",
         .arguments = {{"bank|orv"}, {"ID"}},
         .options = {{"status", "open|explained|resolved"}, {"text", "TEXT"}, kYes},
         .help = "Sets or changes the note on the bank row or ORV entry with the ID (a new note is Open) and "
                 "prints it as notes does; without --status and --text only prints it. When the rules paired "
                 "the row with others (amount-differs, a group), asks whether the note goes on every row of "
                 "the pairing (--yes: it does, unasked) and prints theirs too. An ID that rows of "
                 "several dates share needs its date (ID@dd/mm/yyyy). An ID no row has is refused, as is a "
                 "text of more than " +
                 notes::counted(notes::kLongestNote) + " characters.",
         .run = runNote,
         .database = Database::Open,
         .wrongCount = "give bank or orv and the row's ID"},
        {.name = "notes",
         .help = "Lists every note, tab-separated: Side, ID, Date, Office Name, Amount, Status, Note, Changed "
                 "(Date and Amount empty when the rows are no longer held).",
         .run = runNotes,
         .database = Database::Open,
         .wrongCount = "notes takes no arguments"},
        {.name = "open-items",
         .options = {{"as-of", "dd/mm/yyyy"}},
         .help = "Lists what is still open in every month the data holds, for every office in the configured "
                 "office's scope: the rows the explanation names Only in VESK, Only in ORV or Amounts differ unless "
                 "their note says Explained or Resolved. Tab-separated: Month, Office Name, Kind, Side, Date, ID, "
                 "Amount, Class, Age (days to the as-of date, today when not given), Bucket (0-30, 31-60, 61-90, "
                 "over 90), Status, Note, Hint (the likely counterpart, as explain gives it).",
         .run = runOpenItems,
         .database = Database::Open,
         .wrongCount = "open-items takes no arguments but --as-of"},
        {.name = "statement",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {{"items", "", "the items behind the roll-forward instead"}, kNow},
         .help = "Prints the month's statement, tab-separated: Line, Deposits, Withdrawals, Rows. VESK and ORV are "
                 "every bank row and ORV entry dated in the month, of any office; Difference is VESK less ORV; "
                 "Not compared (rows outside the configured office's scope or of no office), Within 0.01, Timing, "
                 "Paired by hand, Amounts differ, Only in VESK and Only in ORV make it up (bank rows counted +, ORV "
                 "entries -), Unexplained is what they leave (0.00); Open, Explained and Resolved are the "
                 "exceptions by their note; Brought forward, Cleared, Other earlier items, Arisen and Carried "
                 "forward roll the open items forward. Rows is empty for Difference and Unexplained. With --items: "
                 "State, Since, Side, ID, Date, Office Name, Kind, Amount, Class, Status, Note, How. A closed month "
                 "prints what was closed; --now computes it afresh. Brought forward is what the close of the latest "
                 "earlier month that stands carried.",
         .run = runStatement,
         .database = Database::Open,  // as open-items
         .wrongCount = kStatementMonth},
        {.name = "close",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {kYes},
         .help = "Closes the month: keeps its statement and items as they are, with the login name, the time, a "
                 "SHA-256 digest of the month's rows, classes and notes, and the close's own digest chained to the "
                 "close before it. Refused (exit 1, nothing written) when the month is closed already, when a "
                 "later month is closed (reopen it first), when the month holds no bank rows or no ORV entries, "
                 "or when its Unexplained is not 0.00. Open items are carried forward.",
         .run = runClose,
         .database = Database::Open,
         .wrongCount = kStatementMonth},
        {.name = "reopen",
         .arguments = {{"YEAR"}, {"MONTH"}},
         .options = {kYes},
         .help = "Reopens the month's close, after asking; the close stays on record and the history keeps it.",
         .run = runReopen,
         .database = Database::Open,
         .wrongCount = kStatementMonth},
        {.name = "closes",
         .help = "Lists every close of a month, tab-separated: Month, Closed, By, State (closed, changed when the "
                 "month's rows, classes or notes differ today from what was closed, or reopened), Difference Dep, "
                 "Difference Wdl (as closed), Carried Forward (the items carried) and Digest (the close's own).",
         .run = runCloses,
         .database = Database::Open,
         .wrongCount = "closes takes no arguments"},
        {.name = "months",
         .help = "Lists every month that holds any import, tab-separated: Month, Bank CTR, ORV Receipts, ORV "
                 "Payments (each the file and time of its latest import, held when none is recorded, or missing), "
                 "Close (closed, changed, reopened or not closed: its last close's state, as closes gives it) and "
                 "Open (the month's open items, as open-items lists them today, their amounts added up unsigned). "
                 "A month is the one an import takes its rows in: the bank's value date, the ORV posting date.",
         .run = runMonths,
         .database = Database::Open,
         .wrongCount = "months takes no arguments"},
        {.name = "sign-off",
         .options = {{"prepared", "NAME", "who prepares the statement"},
                     {"prepared-as", "DESIGNATION", "their designation"},
                     {"checked", "NAME", "who checks it"},
                     {"checked-as", "DESIGNATION", "their designation"},
                     {"approved", "NAME", "who approves it"},
                     {"approved-as", "DESIGNATION", "their designation"}},
         .help = "Prints the names that sign a printed statement, one tab-separated line per role: Role (Prepared "
                 "by, Checked by, Approved by), Name, Designation (empty when none is set). With any option sets "
                 "those, keeping the others, and prints the result; each is trimmed and holds at most " +
                 std::to_string(review::kLongestSignOffText) +
                 " characters and no control character. The history keeps the names before and after.",
         .run = runSignOff,
         .database = Database::Open,
         .wrongCount = "sign-off takes no arguments but its options"},
        {.name = "pair",
         .options = {{"bank", "ID[,ID...]", "the bank rows, each ID or ID@dd/mm/yyyy"},
                     {"orv", "ID[,ID...]", "the ORV entries, each ID or ID@dd/mm/yyyy"},
                     {"text", "TEXT", "why they belong together"},
                     {"accept-difference", "", "pair them although their sums differ; the difference is kept"}},
         .help = "Pairs bank rows with ORV entries by hand, 1 to " + std::to_string(pairs::kMostRowsOfASide) +
                 " of each, deposits with receipts or withdrawals with payments, of any offices, dated at most " +
                 std::to_string(pairs::kWidestSpanDays) +
                 " days apart, none already in a hand pair; the "
                 "sums must be equal unless --accept-difference is given. An ID that rows of several dates share "
                 "needs its date (ID@dd/mm/yyyy). Prints the pair as pairs lists it; anything else is refused and "
                 "nothing is written. The explanation then shows the rows as manual, the pair's number as their "
                 "Group.",
         .run = runPair,
         .database = Database::Open,
         .wrongCount = "pair takes no arguments but its options"},
        {.name = "unpair",
         .arguments = {{"PAIR"}},
         .help = "Undoes the hand pair named (M7) and prints it; its rows return to the rules. The history keeps it.",
         .run = runUnpair,
         .database = Database::Open,
         .wrongCount = "give the hand pair to undo, as M7"},
        {.name = "pairs",
         .arguments = {{"YEAR", true}, {"MONTH", true}},
         .help = "Lists the hand pairs, one tab-separated line per row: Pair, Side, ID, Date, Office Name, Kind, "
                 "Amount, Difference, Text, By, When, State (held, or broken: and what broke it). With YEAR and "
                 "MONTH only the pairs with a row dated in the month.",
         .run = runPairs,
         .database = Database::Open,
         .wrongCount = "give YEAR and MONTH, or neither for every pair"},
        {.name = "rules",
         .help = "Prints the pairing rules in force, one tab-separated line per rule: Rule, Option, Value, "
                 "Default; then who set them last and when. What each rule does:" +
                 ruleMeanings() +
                 " The same-date pairing of one row with one entry is no rule: it is the comparison itself.",
         .run = runRules,
         .database = Database::Open,
         .wrongCount = "give set or try, or nothing to print the rules",
         .subVerbs = {{.name = "set",
                       .options = ruleOptions({kYes}),
                       .help = "Sets the rules given, keeping the others, once confirmed (--yes: unasked): a "
                               "change of the data, recorded in the history with each rule before and after and "
                               "who set it, and taken by both programs. A closed month whose pairing the rules "
                               "change is asked about as an import's month is, and reopened with the change only "
                               "on Yes; No to any sets nothing.",
                       .run = runRulesSet,
                       .database = Database::Open,
                       .wrongCount = "set takes no arguments but its options"},
                      {.name = "try",
                       .options =
                           ruleOptions({{"from", "YYYY-MM", "the first month to weigh (default: the first held)"},
                                        {"to", "YYYY-MM", "the last month to weigh (default: the last held)"},
                                        {"lines", "", "and every row that changes"}}),
                       .help = "Weighs the rules given (the others as in force) against the rules in force over "
                               "the months held, every office, and writes nothing: one tab-separated line per month: "
                               "Month, Pairs gained and Pairs lost by class, Rows changed (class or partners), the "
                               "amounts left on one side only before and after, deposits and withdrawals, and Close "
                               "(closed, or closed, would change: a close is never reopened here). --lines then "
                               "lists each changed row: Month, Office Name, Kind, Side, Date, ID, Amount, Before, "
                               "After.",
                       .run = runRulesTry,
                       .database = Database::Open,
                       .wrongCount = "try takes no arguments but its options"}},
         .groupSynopsis = "[set [--timing N] [--cross-month yes|no] [--group N] [--candidates N] [--other-office "
                          "yes|no] [--yes] | try [the same rules] [--from YYYY-MM] [--to YYYY-MM] [--lines]]"},
        {.name = "history",
         .arguments = {{"ctr|orv|master|pairs|closes|database", true}},
         .help = "Lists every change to the data, newest first: time, action, period, file name (the office for "
                 "a configured office change; the pair and its rows for a hand pair; who closed or reopened a month; "
                 "the names before and after for the sign-offs; each rule before and after for the pairing rules; "
                 "what was done for a passphrase's change; the backup "
                 "for a restore), rows, "
                 "deposits or receipts, withdrawals or payments. database: the passphrase's changes and restores.",
         .run = runHistory,
         .database = Database::Open,
         .wrongCount = "give at most one form: ctr, orv, master, pairs, closes or database"},
        {.name = "check",
         .options = {{"full", "", "and every index against its table"}},
         .help = "Reads every page of the database file, verifying its authentication code, then runs the "
                 "engine's check of every tree's structure (--full: and of every index against its table); "
                 "prints ok, or what is damaged (and exits 1); a file with a passphrase is read with it, and without "
                 "it is said to be protected, not damaged.",
         .run = runCheck},
        {.name = "backup",
         .arguments = {{"FILE"}},
         .options = {kYes},
         .help = "Writes a copy of the database to FILE with the engine's online backup, also while the window "
                 "has it open (a change in progress is waited for); --yes replaces an existing FILE. The copy of a "
                 "file with a passphrase has the same passphrase.",
         .run = runBackup,
         .wrongCount = "give the file to write the backup to"},
        {.name = "restore",
         .arguments = {{"FILE"}},
         .options = {kYes},
         .help = "Puts the backup FILE in the database's place once it opens with the program's key, or with its "
                 "passphrase (asked for; the database then has it), and passes the check; the database as it was is "
                 "kept beside it as NAME.before-restore-DATE-TIME.",
         .run = runRestore,
         .wrongCount = "give the backup file to restore"},
        {.name = "daily-backups",
         .arguments = {{"on|off", true}},
         .help = "Turns the daily backups on or off (on by default) and says which: before the first change of "
                 "each day the database is copied into the folder backups beside it, the newest 7 kept.",
         .run = runDailyBackups,
         .wrongCount = "give on, off or nothing"},
        {.name = "passphrase",
         .help = "Sets, changes or removes the database's passphrase, re-keying the file and the daily copies beside "
                 "it in one step each. The new passphrase (at least 8 characters) is asked twice, the current one "
                 "for change and remove: on a terminal without echo, else one line each from standard input; the "
                 "current one also from VESK_ORV_PASSPHRASE. Never on the command line. Every verb asks for it "
                 "when the file has one.",
         .wrongCount = "give set, change or remove",
         .subVerbs = {{.name = "set",
                       .help = "Protects the database and its daily copies by a passphrase of the user's own, asked "
                               "twice.",
                       .run = runPassphraseSet,
                       .wrongCount = "set takes no arguments"},
                      {.name = "change",
                       .help = "Asks the current passphrase, then the new one twice, and re-keys the database and "
                               "its daily copies with it.",
                       .run = runPassphraseChange,
                       .wrongCount = "change takes no arguments"},
                      {.name = "remove",
                       .options = {kYes},
                       .help = "Asks the current passphrase and, once confirmed (--yes: unasked), encrypts the "
                               "database and its daily copies with the program's key again.",
                       .run = runPassphraseRemove,
                       .wrongCount = "remove takes no arguments but --yes"}},
         .groupSynopsis = "set | change | remove [--yes]"},
        {.name = "where",
         .help = "Prints the database file the other verbs open, then why it is that one: --db, VESK_ORV_DB, "
                 "beside the program, or the data folder when the program's folder is not writable.",
         .run = runWhere},
        {.name = "help",
         .arguments = {{"VERB", true}},
         .options = {{"markdown", "", "every verb, as the Markdown of the reference in docs/cli.md"},
                     {"man", "", "every verb, as the roff of the manual page packaging/vesk-orv-cli.1"}},
         .help = "Prints the list of verbs, or what VERB takes and does.",
         .run = runHelp,
         .wrongCount = "give one verb, or none"},
    };
}

}  // namespace

const std::vector<Verb>& verbs() {
    static const std::vector<Verb> kVerbs = table();
    return kVerbs;
}

}  // namespace vesk::cli
