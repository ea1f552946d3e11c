#include "pairs/PairStatements.h"

#include "store/StoredRows.h"

namespace vesk::pairs::sql {

std::string savePairRowStatement() {
    return std::string("INSERT INTO hand_pair_rows (") + kPairRowColumns + ") VALUES (?, ?, ?, ?, ?, ?)";
}

std::string pairsStatement(const std::string& states) {
    return "SELECT " + store::rowIdColumn() + kPairColumns + " FROM hand_pairs WHERE state IN (" + states +
           ") ORDER BY number";
}

std::string pairRowsStatement(const std::string& states) {
    // No column of a pair's row is named as one of the pair's.
    return "SELECT " + store::rowIdColumn("r") + kPairRowColumns +
           " FROM hand_pair_rows AS r INNER JOIN hand_pairs AS p ON p.number = r.pair WHERE p.state IN (" + states +
           ")";
}

std::string pairNumberedStatement() {
    return "SELECT " + store::rowIdColumn() + kPairColumns + " FROM hand_pairs WHERE number = ?1";
}

std::string pairRowsNumberedStatement() {
    return "SELECT " + store::rowIdColumn() + kPairRowColumns + " FROM hand_pair_rows WHERE pair = ?1";
}

std::string heldPairIds(notes::Side side) {
    return std::string(
               "(SELECT r.tran_id FROM hand_pair_rows AS r INNER JOIN hand_pairs AS p ON p.number = r.pair "
               "WHERE p.state = 'held' AND r.side = '") +
           notes::sideKey(side) + "')";
}

}  // namespace vesk::pairs::sql
