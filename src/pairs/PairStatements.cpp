#include "pairs/PairStatements.h"

namespace vesk::pairs::sql {

std::string pairsStatement(const std::string& states) {
    return "SELECT number, kind, difference, pair_text, made_by, made_at, state, changed_by, changed_at, "
           "broken_side, broken_tran_id, broken_day, broken_amount, broken_kind FROM hand_pairs WHERE state IN (" +
           states + ") ORDER BY number";
}

std::string pairRowsStatement(const std::string& states) {
    return "SELECT r.pair, r.side, r.tran_id, r.day, r.office, r.amount FROM hand_pair_rows AS r INNER JOIN "
           "hand_pairs AS p ON p.number = r.pair WHERE p.state IN (" +
           states + ")";
}

std::string heldPairIds(notes::Side side) {
    return std::string(
               "(SELECT r.tran_id FROM hand_pair_rows AS r INNER JOIN hand_pairs AS p ON p.number = r.pair "
               "WHERE p.state = 'held' AND r.side = '") +
           notes::sideKey(side) + "')";
}

}  // namespace vesk::pairs::sql
