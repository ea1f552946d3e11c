#include <ostream>

#include "cli/Verbs.h"
#include "core/DateTime.h"
#include "notes/NoteFlows.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"
#include "review/OpenItemsWorkbook.h"
#include "review/ReviewWording.h"

namespace vesk::cli {

namespace {

notes::Side sideOf(const std::string& text) {
    const std::optional<notes::Side> side = notes::sideNamed(text);
    if (!side) throw UsageError(notes::unknownSideText(text));
    return *side;
}

long long asOfDay(const Call& call) {
    const std::optional<std::string> text = call.option("as-of");
    if (!text) {
        const DateTime today = localNow();
        return daysFromCivil(today.year, today.month, today.day);
    }
    const std::optional<DateTime> d = parseDateText(*text);
    if (!d) throw UsageError(review::notAnAsOfDate(*text));
    return daysFromCivil(d->year, d->month, d->day);
}

review::OpenItems openItemsOf(Call& call) {
    const long long asOf = asOfDay(call);
    review::OpenItems open = review::openItems(call.database(), asOf);
    if (open.items.empty()) call.err() << review::noOpenItemsText(asOf) << "\n";
    return open;
}

}  // namespace

// Sets or changes a note and prints it; without --status and --text only prints it.
int runNote(Call& call) {
    const notes::Side side = sideOf(call.argument(0));
    const std::string& id = call.argument(1);
    notes::NoteEdit edit;
    if (const auto status = call.option("status")) {
        edit.status = notes::statusNamed(*status);
        if (!edit.status) throw UsageError(notes::unknownStatusText(*status));
    }
    edit.text = call.option("text");
    store::Connection& db = call.database();
    std::vector<notes::Note> paired;
    if (edit.status || edit.text) {
        const DateTime now = localNow();
        const notes::SetResult result = notes::setNote(db, side, id, edit, notes::loginName(), now);
        const std::string refusal = notes::refusalText(result, side, id, db.path());
        if (!refusal.empty()) {
            call.err() << refusal << "\n";
            return kExitFailed;
        }
        if (result.note)
            paired = notes::noteRowsPairedWith(db, call.prompter(), *result.note, edit, notes::loginName(), now);
    }
    const notes::NoteLookup found = notes::findNote(db, side, id);
    if (found.found != notes::Found::Row) {
        call.err() << notes::refusalText(found, side) << "\n";
        return kExitFailed;
    }
    if (!found.note) {
        call.err() << notes::noNoteText(side, id) << "\n";
        return kExitOk;
    }
    writeLine(call.out(), notes::notesHeaders());
    writeLine(call.out(), notes::noteCells({*found.note, found.row}));
    for (const notes::Note& n : paired) {
        const notes::RowLookup row = notes::findRow(db, n.side, notes::rowText({n.side, n.id, n.day.value_or(0)}));
        writeLine(call.out(), notes::noteCells({n, row.rows.empty() ? std::nullopt : std::optional(row.rows.front())}));
    }
    return kExitOk;
}

int runNotes(Call& call) {
    writeLine(call.out(), notes::notesHeaders());
    for (const notes::ListedNote& n : notes::listNotes(call.database())) writeLine(call.out(), notes::noteCells(n));
    return kExitOk;
}

int runOpenItems(Call& call) {
    const review::OpenItems open = openItemsOf(call);
    writeLine(call.out(), review::openItemHeaders());
    for (const review::OpenItem& item : open.items) writeLine(call.out(), review::openItemCells(item));
    return kExitOk;
}

int runExportOpenItems(Call& call) {
    const review::OpenItems open = openItemsOf(call);
    const std::string fileName = review::openItemsFileName(open.asOf);
    return saveExport(
        call, fileName, [&](const std::string& folder) { return review::writeOpenItemsWorkbook(open, folder); },
        [&] { return compare::printoutOf(fileName, {review::openItemsSheet(open)}, localNow()); });
}

}  // namespace vesk::cli
