#include <ostream>

#include "cli/Verbs.h"
#include "compare/ComparisonWorkbook.h"
#include "core/DateTime.h"
#include "history/ImportHistory.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"
#include "review/OpenItemsWorkbook.h"
#include "review/ReviewWording.h"
#include "store/Connection.h"

namespace vesk::cli {

namespace {

notes::Side sideOf(const std::string& text) {
    const std::optional<notes::Side> side = notes::sideNamed(text);
    if (!side) throw UsageError("the side is bank or orv, not '" + text + "'");
    return *side;
}

// Sets or changes a note and prints it; without --status and --text only prints it.
int noteVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"status", "text"});
    if (a.positional().size() != 2) throw UsageError("give bank or orv and the row's ID");
    const notes::Side side = sideOf(a.positional()[0]);
    const std::string& id = a.positional()[1];
    notes::NoteEdit edit;
    if (const auto status = a.option("status")) {
        edit.status = notes::statusNamed(*status);
        if (!edit.status) throw UsageError("the status is open, explained or resolved, not '" + *status + "'");
    }
    edit.text = a.option("text");
    return withDatabase(context, [&](store::Connection& db) {
        if (edit.status || edit.text) {
            const notes::SetResult result = notes::setNote(db, side, id, edit, notes::loginName(), localNow());
            const std::string refusal = notes::refusalText(result, side, id, db.path());
            if (!refusal.empty()) {
                context.err << refusal << "\n";
                return kExitFailed;
            }
        }
        const notes::NoteLookup found = notes::findNote(db, side, id);
        if (found.found != notes::Found::Row) {
            context.err << notes::refusalText(found, side) << "\n";
            return kExitFailed;
        }
        if (!found.note) {
            context.err << notes::noNoteText(side, id) << "\n";
            return kExitOk;
        }
        writeLine(context.out, notes::notesHeaders());
        writeLine(context.out, notes::noteCells({*found.note, found.row}));
        return kExitOk;
    });
}

int notesVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {});
    if (!a.positional().empty()) throw UsageError("notes takes no arguments");
    writeLine(context.out, notes::notesHeaders());
    withDatabase(context, [&](store::Connection& db) {
        for (const notes::ListedNote& n : notes::listNotes(db)) writeLine(context.out, notes::noteCells(n));
    });
    return kExitOk;
}

long long asOfDay(const Arguments& a) {
    const std::optional<std::string> text = a.option("as-of");
    if (!text) {
        const DateTime today = localNow();
        return daysFromCivil(today.year, today.month, today.day);
    }
    const std::optional<DateTime> d = parseDateText(*text);
    if (!d) throw UsageError("--as-of takes a date dd/mm/yyyy, not '" + *text + "'");
    return daysFromCivil(d->year, d->month, d->day);
}

review::OpenItems openItemsOf(Context& context, long long asOf) {
    review::OpenItems open = withDatabase(context, [&](store::Connection& db) { return review::openItems(db, asOf); });
    if (open.items.empty()) context.err << review::noOpenItemsText(asOf) << "\n";
    return open;
}

int openItemsVerb(Context& context, const std::vector<std::string>& args) {
    Arguments a(args, {"as-of"});
    if (!a.positional().empty()) throw UsageError("open-items takes no arguments but --as-of");
    const review::OpenItems open = openItemsOf(context, asOfDay(a));
    writeLine(context.out, review::openItemHeaders());
    for (const review::OpenItem& item : open.items) writeLine(context.out, review::openItemCells(item));
    return kExitOk;
}

}  // namespace

int exportOpenItems(Context& context, const Arguments& a) {
    if (a.positional().size() != 1) throw UsageError("open-items takes no arguments but --as-of and --out");
    const review::OpenItems open = openItemsOf(context, asOfDay(a));
    return saveExport(context, a, review::openItemsFileName(open.asOf),
                      [&](const std::string& folder) { return review::writeOpenItemsWorkbook(open, folder); });
}

void addReviewVerbs(std::vector<Verb>& verbs) {
    verbs.push_back({"note", "bank|orv ID [--status open|explained|resolved] [--text TEXT]",
                     "Sets or changes the note on the bank row or ORV entry with the ID (a new note is Open) and "
                     "prints it as notes does; without --status and --text only prints it. An ID no row has is "
                     "refused, as is a text of more than 2,000 characters.",
                     noteVerb});
    verbs.push_back({"notes", "",
                     "Lists every note, tab-separated: Side, ID, Date, Office Name, Amount, Status, Note, Changed "
                     "(Date and Amount empty when the rows are no longer held).",
                     notesVerb});
    verbs.push_back({"open-items", "[--as-of dd/mm/yyyy]",
                     "Lists what is still open in every month the data holds, for every office in the configured "
                     "office's scope: the rows the explanation names bank-only, orv-only or amount-differs unless "
                     "their note says Explained or Resolved. Tab-separated: Month, Office Name, Kind, Side, Date, ID, "
                     "Amount, Class, Age (days to the as-of date, today when not given), Bucket (0-30, 31-60, 61-90, "
                     "over 90), Status, Note.",
                     openItemsVerb});
}

}  // namespace vesk::cli
