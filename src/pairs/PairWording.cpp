#include "pairs/PairWording.h"

#include "core/Amount.h"
#include "notes/NoteWording.h"
#include "notes/Notes.h"

namespace vesk::pairs {

namespace {

std::string grouped(double amount) { return formatAmount(amount, Grouping::Thousands); }

// "deposit", "receipt", ... as the side calls the kind.
std::string kindWord(Side side, Kind kind) {
    if (side == Side::Bank) return kind == Kind::Deposit ? "deposit" : "withdrawal";
    return kind == Kind::Deposit ? "receipt" : "payment";
}

std::string article(const std::string& word) { return (word.front() == 'a' ? "an " : "a ") + word; }

std::string neitherKind(Side side) {
    return side == Side::Bank ? "neither a deposit nor a withdrawal" : "neither a receipt nor a payment";
}

// "VESK T1, T2 with ORV R5".
std::string rowsText(const HandPair& pair) {
    std::string bank, orv;
    for (const PairRow& row : pair.rows) {
        std::string& list = row.side == Side::Bank ? bank : orv;
        list += (list.empty() ? "" : ", ") + row.id;
    }
    return "VESK " + bank + " with ORV " + orv;
}

bool differs(double difference) { return !amountsEqual(amountUnits(difference), 0); }

}  // namespace

std::string pairRowText(const PairRow& row) { return notes::rowName(row.side, row.id) + " of " + dayText(row.day); }

std::string refusalText(const Refusal& r, const std::string& databasePath) {
    switch (r.rule) {
        case Rule::BankCount:
        case Rule::OrvCount: {
            const bool bank = r.rule == Rule::BankCount;
            if (r.count == 0)
                return std::string("A hand pair needs at least one ") + (bank ? "bank row" : "ORV entry") + ".";
            return "A hand pair holds at most " + std::to_string(kMostRowsOfASide) +
                   (bank ? " bank rows" : " ORV entries") + "; " + std::to_string(r.count) + " were named.";
        }
        case Rule::TextTooLong:
            return "A pair's text holds at most " + notes::counted(kLongestText) + " characters; this one has " +
                   notes::counted(r.count) + ".";
        case Rule::ReadOnly:
            return "The database file '" + databasePath + "' cannot be written, so no pair was made.";
        case Rule::RowNotFound:
            return notes::rowNotFoundText(r.side, r.lookup.found, r.lookup.asked, r.lookup.dates, "no pair was made");
        case Rule::HeldTwice:
            return "The data holds " + notes::rowName(r.row->side, r.row->id) + " twice on " + dayText(r.row->day) +
                   ", so it cannot be paired by hand.";
        case Rule::NamedTwice:
            return pairRowText(*r.row) + " is named twice.";
        case Rule::NoOffice:
            return pairRowText(*r.row) + " is of no office of the office master, so it cannot be paired.";
        case Rule::NoKind:
            return pairRowText(*r.row) + " is " + neitherKind(r.row->side) + ", so it cannot be paired.";
        case Rule::KindsDiffer: {
            const Kind other = *r.kind == Kind::Deposit ? Kind::Withdrawal : Kind::Deposit;
            return pairRowText(*r.row) + " is " + article(kindWord(r.row->side, other)) + " and " +
                   pairRowText(*r.other) + " " + article(kindWord(r.other->side, *r.kind)) +
                   ": a hand pair holds deposits with receipts, or withdrawals with payments.";
        }
        case Rule::SpanTooWide:
            return pairRowText(*r.row) + " and " + pairRowText(*r.other) + " are " + std::to_string(r.days) +
                   " days apart: a hand pair spans at most " + std::to_string(kWidestSpanDays) + " days.";
        case Rule::AlreadyPaired:
            return pairRowText(*r.row) + " is already in hand pair " + pairName(r.pair) + ".";
        case Rule::SumsDiffer:
            return "The bank rows sum to " + grouped(r.bankSum) + " and the ORV entries to " + grouped(r.orvSum) +
                   ", a difference of " + grouped(r.bankSum - r.orvSum) +
                   ": pair them only with the difference accepted.";
    }
    return "";
}

std::string undoRefusalText(const Undo& undo, const std::string& name, const std::string& databasePath) {
    switch (undo.outcome) {
        case UndoOutcome::Undone:
            break;
        case UndoOutcome::NotAName:
            return "'" + name + "' names no hand pair: they are named M1, M2 and so on.";
        case UndoOutcome::NoSuchPair:
            return "No hand pair " + pairName(*pairNumberNamed(name)) + " was ever made.";
        case UndoOutcome::AlreadyUndone:
            return "Hand pair " + pairName(undo.pair->number) + " was undone already.";
        case UndoOutcome::ReadOnly:
            return "The database file '" + databasePath + "' cannot be written, so no pair was undone.";
    }
    return "";
}

namespace {
constexpr const char* kPairTitle = "Pair by Hand";
}

Message pairRefused(const std::string& refusal) { return exclamation(refusal, kPairTitle); }

Message pairFailed(const Error& error) { return critical("Error: " + error.description(), kPairTitle); }

Message noRowChosen(const std::string& action) {
    return exclamation("Please select a row to " + action + ".", kPairTitle);
}

Message noRowsToPair() {
    return exclamation(
        "Please select the rows to pair: at least one bank row and one ORV entry (Ctrl-click or "
        "Shift-click to select several).",
        kPairTitle);
}

Message noHintToPair(const std::string& row) {
    return exclamation(row + " has no hinted counterpart on the other side to pair it with.", kPairTitle);
}

Message notPairedByHand(const std::string& row) {
    return exclamation(row + " is not paired by hand, so there is no pair to undo.", kPairTitle);
}

Message undoQuestion(int number) {
    return question("Undo hand pair " + pairName(number) + "? Its rows return to the rules.", kPairTitle,
                    Icon::Question, Answer::No);
}

std::vector<std::string> draftSumsLines(std::size_t bankRows, double bankSum, std::size_t orvRows, double orvSum) {
    const auto counted = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return {"VESK: " + counted(bankRows, "row", "rows") + ", " + grouped(bankSum),
            "ORV: " + counted(orvRows, "entry", "entries") + ", " + grouped(orvSum),
            "Difference (bank less ORV): " + grouped(bankSum - orvSum)};
}

std::string breakText(const Break& b) {
    const std::string row = pairRowText(b.row);
    if (!b.amount) return row + " is no longer held";
    if (b.kindChanged)
        return row + " is now " + (b.kind ? article(kindWord(b.row.side, *b.kind)) : neitherKind(b.row.side));
    return row + " is now " + grouped(*b.amount) + ", not " + grouped(b.row.amount);
}

std::string stateText(const HandPair& pair) {
    switch (pair.state) {
        case PairState::Held:
            return "held";
        case PairState::Broken:
            return "broken: " + (pair.broken ? breakText(*pair.broken) : std::string());
        case PairState::Undone:
            return "undone";
    }
    return "";
}

std::string madeDetail(const HandPair& pair) {
    std::string text = rowsText(pair);
    if (differs(pair.difference)) text += "; difference " + grouped(pair.difference) + " accepted";
    return text;
}

std::string undoneDetail(const HandPair& pair) { return rowsText(pair); }

std::string brokenDetail(const HandPair& pair) { return pair.broken ? breakText(*pair.broken) : rowsText(pair); }

const std::vector<std::string>& pairHeaders() {
    static const std::vector<std::string> kHeaders = {"Pair",   "Side",       "ID",   "Date", "Office Name", "Kind",
                                                      "Amount", "Difference", "Text", "By",   "When",        "State"};
    return kHeaders;
}

std::vector<std::vector<std::string>> pairLines(const HandPair& pair) {
    std::vector<std::vector<std::string>> out;
    for (const PairRow& row : pair.rows)
        out.push_back({pairName(pair.number), notes::sideText(row.side), row.id, dayText(row.day), row.office,
                       notes::kindText(pair.kind), formatAmount(row.amount), formatAmount(pair.difference), pair.text,
                       pair.by, isoDateTime(pair.when), stateText(pair)});
    return out;
}

}  // namespace vesk::pairs
