#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <sstream>

#include "cli/Cli.h"
#include "cli/Verb.h"
#include "cli/Verbs.h"
#include "store/DatabaseLocation.h"

namespace vesk::cli {

namespace {

constexpr const char* kCommandName = "vesk-orv-cli";

// Prose as Markdown shows it as written: "\\" a backslash, "*" no emphasis, "<" no tag.
std::string prose(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '*' || c == '_' || c == '`' || c == '[' || c == ']' || c == '<') out += '\\';
        out += c;
    }
    return out;
}

// An option's line: "`--name VALUE`: what it does".
std::string optionLine(const Option& o) {
    return "- `--" + o.name + (o.isFlag() ? "" : " " + o.value) + "`" + (o.help.empty() ? "" : ": " + prose(o.help)) +
           "\n";
}

void describeVerb(std::ostream& s, const Verb& verb, const std::string& command, const std::string& heading) {
    s << heading << " `" << command << "`\n\n";
    const std::string shown = verb.isGroup() ? verb.groupSynopsis : synopsis(verb);
    s << "```\n" << kCommandName << " [--db FILE] " << command << (shown.empty() ? "" : " " + shown) << "\n```\n\n";
    if (!verb.help.empty()) s << prose(verb.help) << "\n\n";
    std::string options;
    for (const Option& o : verb.options)
        if (!o.help.empty()) options += optionLine(o);
    if (!options.empty()) s << options << "\n";
    for (const Verb& sub : verb.subVerbs) describeVerb(s, sub, command + " " + sub.name, heading + "#");
}

// Text as roff sets it: "\" printed as a backslash, "--" as two minus signs (copied from the
// page they still work), and a line that would start with "." or "'" taken as text.
std::string roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (lineStart && (c == '.' || c == '\'')) out += "\\&";
        lineStart = c == '\n';
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xC0 && byte < 0xF8) {
            // A character beyond ASCII ("…") as roff's named glyph, which groff takes on any input encoding.
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
            unsigned code = byte & (0x7F >> length);
            for (std::size_t k = 1; k < length && i + 1 < text.size(); ++k) code = code << 6 | (text[++i] & 0x3F);
            char glyph[16];
            std::snprintf(glyph, sizeof glyph, "\\[u%04X]", code);
            out += glyph;
        } else if (c == '\\')
            out += "\\e";
        else if (c == '-' && ((i + 1 < text.size() && text[i + 1] == '-') || (i > 0 && text[i - 1] == '-')))
            out += "\\-";
        else
            out += c;
    }
    return out;
}

bool isWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)); }
bool isLower(char c) { return std::islower(static_cast<unsigned char>(c)); }

// A synopsis as the page shows it: an option's name bold, a word in capitals (FILE, YEAR) in
// italics, the words given as written (ctr|orv, All) and the brackets roman.
std::string roffSynopsis(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "--") == 0 && i + 2 < text.size() && isLetter(text[i + 2])) {
            std::size_t end = i + 2;
            while (end < text.size() && (isWordChar(text[end]) || text[end] == '-')) ++end;
            out += "\\fB";
            for (std::size_t c = i; c < end; ++c) out += text[c] == '-' ? std::string("\\-") : std::string(1, text[c]);
            out += "\\fP";
            i = end;
        } else if (isWordChar(text[i])) {
            std::size_t end = i;
            while (end < text.size() && isWordChar(text[end])) ++end;
            const std::string word = text.substr(i, end - i);
            const bool capitals =
                std::none_of(word.begin(), word.end(), isLower) && std::any_of(word.begin(), word.end(), isLetter);
            out += capitals ? "\\fI" + word + "\\fP" : word;
            i = end;
        } else {
            out += text[i] == '-' ? std::string("\\-") : text[i] == '\\' ? std::string("\\e") : std::string(1, text[i]);
            ++i;
        }
    }
    return out;
}

void describeVerbForMan(std::ostream& s, const Verb& verb, const std::string& command) {
    const std::string shown = verb.isGroup() ? verb.groupSynopsis : synopsis(verb);
    std::string name;
    for (char c : command) name += c == '-' ? std::string("\\-") : std::string(1, c);
    s << ".TP\n\\fB" << name << "\\fP" << (shown.empty() ? "" : " " + roffSynopsis(shown)) << "\n";
    if (!verb.help.empty()) s << roff(verb.help) << "\n";
    bool listed = false;
    for (const Option& o : verb.options) {
        if (o.help.empty()) continue;
        if (!listed) s << ".RS\n";
        listed = true;
        s << ".TP\n" << roffSynopsis("--" + o.name + (o.isFlag() ? "" : " " + o.value)) << "\n" << roff(o.help) << "\n";
    }
    if (listed) s << ".RE\n";
    for (const Verb& sub : verb.subVerbs) describeVerbForMan(s, sub, command + " " + sub.name);
}

// The page's own prose around the verbs. "@PROJECT_VERSION@" stays as it is: the build puts
// the version in when it installs the page (packaging/CMakeLists.txt).
constexpr const char* kManHead = R"roff(.TH VESK-ORV-CLI 1 "2026" "vesk-orv @PROJECT_VERSION@" "User Commands"
.SH NAME
vesk-orv-cli \- reconcile the bank's cash transaction report with the ORV 2.0 records
.SH SYNOPSIS
.B vesk-orv-cli
.RB [ \-\-db
.IR FILE ]
.I VERB
.RI [ ARGUMENTS ]
.br
.B vesk-orv-cli
.BR \-\-help " | " \-\-version
.SH DESCRIPTION
.B vesk-orv-cli
does on the terminal what the windowed program
.B vesk-orv
does: it imports the month's bank CTR workbook and the ORV 2.0 receipts and payments
workbooks into the encrypted database, lists the offices and dates where the two differ
by more than 0.01, and exports those lists to workbooks.
.SH OPTIONS
.TP
.BI \-\-db " FILE"
Work on
.I FILE
instead of the default database (see
.BR FILES ).
.TP
.B \-\-help
Print the usage text and exit;
.I VERB
.B \-\-help
describes one verb.
.TP
.B \-\-version
Print the program's version and exit.
.TP
.B \-\-yes
With the verbs that ask before they change data: answer Yes to their questions.
Without a terminal every question is answered No.
)roff";

constexpr const char* kManTail = R"roff(.SH THE EXPLANATION
\fBexplain\fP pairs each bank row with its ORV entry, deposits with receipts and withdrawals
with payments. The rows of the three days before and after the month take part, so a booking
moved across the month's end is found once the neighbouring month is imported. Two amounts
are equal when they differ by at most 0.01. The rules, in turn:
.RS
.IP \fBmatched\fP 16
a bank row and an ORV entry of the same date and amount, smallest amounts first;
.IP \fBgroup\fP 16
one entry on one side equal to the sum of 2 to 4 rows of the same date on the other, when
only one such set exists (a date with more than 20 candidates is not searched);
.IP \fBtiming\fP 16
the same amount booked 1 to 3 days apart, the nearest first;
.IP \fBamount\-differs\fP 16
the only bank row and the only ORV entry left on a date, with different amounts;
.IP "\fBbank\-only\fP, \fBorv\-only\fP" 16
what is left: a row the other side has no entry for.
.IP \fBmanual\fP 16
rows you paired by hand (see \fBpair\fP), taken before the rules.
.RE
.PP
Every \fBbank\-only\fP, \fBorv\-only\fP and \fBamount\-differs\fP row gets a Hint: its likely
counterpart, looked for among the other side's unpaired rows of the month and 10 days either
side, and why it did not pair. The first that fits: \fBbooked twice?\fP (the same side, office,
date and amount); a booking 4 to 10 days \fBlater\fP or \fBearlier\fP; the \fBsame amount at\fP
another office 0 to 3 days apart; \fBdigits swapped\fP (4,518.00 keyed as 4,158.00); a
\fBdecimal point\fP slipped (12.34 and 1,234.00); \fBseveral sets\fP of 2 to 4 entries that
each sum to it; for an amount-differs row, how much \fBmore\fP or \fBless\fP its partner is.
A hint never changes a row's class; a row with none has an empty hint.
.SH A MONTH'S WORK
Import the month: \fBimport\-ctr\fP with the bank's CTR workbook, \fBimport\-orv\fP with the
ORV receipts and then the payments; each import says what the month still lacks, and
\fBmonths\fP shows every month's imports at a glance. \fBcompare\fP \fIYEAR MONTH\fP shows which offices differ,
and \fBexplain\fP \fIYEAR MONTH\fP All names the rows behind each difference. When you find out
why a row does not pair (a deposit the bank credited on the 1st, a receipt keyed twice, a
correction the bank promised), write it down: \fBnote bank\fP \fIID\fP \fB\-\-status explained
\-\-text\fP "credited on the 1st", or \fB\-\-status open\fP while you wait for an answer. Next
month, once it is imported, \fBopen\-items\fP lists everything still open from every month,
with its age and hint: last month's late bookings have paired with this month's rows and are gone, and
what is left is what still needs chasing, the oldest in the \fBover 90\fP bucket.
\fBexport open\-items\fP gives the same list as a workbook to print.
At the month's end, \fBstatement\fP \fIYEAR MONTH\fP shows what each side recorded and how
every rupee of the difference is accounted for, and what is carried to the next month;
\fBexport statement\fP \fIYEAR MONTH\fP writes it for the file.
When the statement is right, \fBclose\fP \fIYEAR MONTH\fP signs it off: it is kept as it
is, and next month's statement starts from what it carried. Should a closed month's rows have
to change, the import or deletion asks first whether to reopen it; \fBcloses\fP shows which
closed months have changed since, and \fBcheck\fP that no close was altered.
Where a hint names the row that belongs with it (a receipt booked a week late, a deposit
booked under the next office), and the two belong together, pair them:
\fBpair \-\-bank\fP \fIT123\fP \fB\-\-orv\fP \fIR456\fP \fB\-\-text\fP "booked a week late";
\fBunpair\fP \fIM1\fP undoes it.
.SH EXIT STATUS
.TP
.B 0
Done.
.TP
.B 1
Failed, or refused at a question; the database is damaged
.RB ( check ,
or any verb that reads a damaged page); another program held the database for 30 seconds
(\(lqThe database is in use by another program.\(rq; nothing was written).
.TP
.B 2
Wrong usage: an unknown verb or option, a missing or invalid argument.
.SH ENVIRONMENT
.TP
.B VESK_ORV_DB
The database file, when no
.B \-\-db
names one.
.TP
.B VESK_ORV_PASSPHRASE
The current passphrase of a database that has one, for scripts; never a new one. Less safe
than typing it: the environment of a process can be read by its user's other processes and
by the administrator, it is inherited by every program the script starts, and it tends to
be written into a script file or a shell's history. Unset it once the work is done.
.TP
.B XDG_DATA_HOME
Where the data folder lies (default:
.IR ~/.local/share ).
.SH FILES
.TP
.I ZETTools.db
The encrypted database. Without
.B \-\-db
or
.BR VESK_ORV_DB ,
the file beside the program is used when it exists or the program's folder is
writable; otherwise (an installed program)
.IR $XDG_DATA_HOME/vesk\-orv/ZETTools.db ,
which is created on first use.
The file is the whole database; back it up with
.BR backup ,
never by copying it while a program has it open.
.TP
.I backups/
Beside the database: its daily copies and, while they are off, the file
.IR daily\-backups\-off .
.SH NOTES
Two programs may have the database open at once. A change that finds the file busy with
another program's change waits for it up to 30 seconds, saying so on a line of its own,
then fails with \(lqThe database is in use by another program.\(rq and writes nothing.
A verb that reads while another program writes sees the month as it was or as it is
after that change, never part of each.
.SH SEE ALSO
.I /usr/share/doc/vesk\-orv/README.md
)roff";

const Verb* topVerbCalled(const std::string& name) {
    for (const Verb& v : verbs())
        if (v.name == name) return &v;
    return nullptr;
}

}  // namespace

std::string markdownReference() {
    std::ostringstream s;
    s << "# " << kCommandName << "\n\n"
      << "<!-- Made by `" << kCommandName
      << " help --markdown` from the table of verbs; a test keeps the two the same. "
      << "-->\n\n"
      << "```\n"
      << kCommandName << " [--db FILE] VERB [ARGUMENTS]\n```\n\n"
      << "The windowed program's work on the terminal: each verb does what a form or window does, and prints "
         "tab-separated lines where a window shows a grid.\n\n"
      << "## Before the verb\n\n"
      << "- `--db FILE`: the database file. Without it: `$VESK_ORV_DB`, else `" << store::kDatabaseFileName
      << "` beside the program, else the same name in the user's data folder when the program's folder is not "
         "writable (`where` says which).\n"
      << "- `--help`: the list of verbs; `VERB --help` (or `help VERB`) describes one.\n"
      << "- `--version`: the program's version.\n\n"
      << "Exit status: 0 done, 1 failed or refused, 2 wrong usage.\n\n"
      << "## Verbs\n\n";
    for (const Verb& verb : verbs()) describeVerb(s, verb, verb.name, "###");
    return s.str();
}

std::string manualPage() {
    std::ostringstream s;
    s << ".\\\" Made by `" << kCommandName << " help --man` from the table of verbs; a test keeps the two the same.\n"
      << kManHead << ".SH VERBS\n";
    for (const Verb& verb : verbs()) describeVerbForMan(s, verb, verb.name);
    s << kManTail;
    return s.str();
}

// The program's usage, one verb's, or the whole reference in Markdown.
int runHelp(Call& call) {
    if (call.flag("markdown")) {
        call.out() << markdownReference();
        return kExitOk;
    }
    if (call.flag("man")) {
        call.out() << manualPage();
        return kExitOk;
    }
    if (call.positional().empty()) {
        call.out() << usage();
        return kExitOk;
    }
    const Verb* verb = topVerbCalled(call.argument(0));
    if (!verb) throw UsageError("no verb '" + call.argument(0) + "'");
    call.out() << usage(*verb, verb->name);
    return kExitOk;
}

}  // namespace vesk::cli
