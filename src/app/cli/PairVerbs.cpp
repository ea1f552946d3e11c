#include <ostream>

#include "cli/Verbs.h"
#include "core/Text.h"
#include "notes/Notes.h"
#include "pairs/HandPairs.h"
#include "pairs/PairWording.h"

namespace vesk::cli {

namespace {

// "T1,T2@03/04/2025": the rows of a side as the option lists them; none when it is not given.
std::vector<std::string> rowsListed(const Call& call, const std::string& option) {
    std::vector<std::string> out;
    const std::optional<std::string> text = call.option(option);
    if (!text) return out;
    std::size_t from = 0;
    while (from <= text->size()) {
        const std::size_t comma = std::min(text->find(',', from), text->size());
        const std::string item = trim(text->substr(from, comma - from));
        if (!item.empty()) out.push_back(item);
        from = comma + 1;
    }
    return out;
}

void writePair(Call& call, const pairs::HandPair& pair) {
    writeLine(call.out(), pairs::pairHeaders());
    for (const std::vector<std::string>& cells : pairs::pairLines(pair)) writeLine(call.out(), cells);
}

}  // namespace

int runPair(Call& call) {
    pairs::PairRequest request = pairs::PairRequest::named(rowsListed(call, "bank"), rowsListed(call, "orv"));
    request.text = call.option("text").value_or("");
    request.acceptDifference = call.flag("accept-difference");
    store::Connection& db = call.database();
    const pairs::MadePair made = pairs::makePair(db, request, notes::loginName(), localNow());
    if (!made.pair) {
        call.err() << pairs::refusalText(*made.refusal, db.path()) << "\n";
        return kExitFailed;
    }
    writePair(call, *made.pair);
    return kExitOk;
}

int runUnpair(Call& call) {
    const std::string& name = call.argument(0);
    store::Connection& db = call.database();
    const pairs::Undo undo = pairs::unpair(db, name, notes::loginName(), localNow());
    if (undo.outcome != pairs::UndoOutcome::Undone) {
        call.err() << pairs::undoRefusalText(undo, name, db.path()) << "\n";
        return kExitFailed;
    }
    writePair(call, *undo.pair);
    return kExitOk;
}

int runPairs(Call& call) {
    std::optional<Period> month;
    if (!call.positional().empty()) month = periodArguments(call, 0);
    writeLine(call.out(), pairs::pairHeaders());
    for (const pairs::HandPair& pair : pairs::listPairs(call.database(), month))
        for (const std::vector<std::string>& cells : pairs::pairLines(pair)) writeLine(call.out(), cells);
    return kExitOk;
}

}  // namespace vesk::cli
