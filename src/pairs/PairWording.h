#pragma once

#include <string>
#include <vector>

#include "pairs/HandPairs.h"

namespace vesk::pairs {

// What the hand pairs say, in the windows and on the command line alike.

/// "VESK T1 of 02/04/2025", "ORV R5 of 03/04/2025": a row of a pair in words.
std::string pairRowText(const PairRow& row);
/// Why the pair was not made, naming its row or rule.
std::string refusalText(const Refusal& refusal, const std::string& databasePath);
/// Why nothing was undone; empty when the pair was.
std::string undoRefusalText(const Undo& undo, const std::string& name, const std::string& databasePath);

/// What broke a pair: "VESK T1 of 02/04/2025 is no longer held", "ORV R5 of 03/04/2025 is now
/// 1,300.00, not 1,250.00", "VESK T1 of 02/04/2025 is now a withdrawal".
std::string breakText(const Break& broken);
/// The State column: "held", "broken: " and what broke it.
std::string stateText(const HandPair& pair);

/// What the history says of a pair made ("VESK T1, T2 with ORV R5", then "; difference 250.00
/// accepted" when the sums differ), undone (its rows), and broken (what broke it).
std::string madeDetail(const HandPair& pair);
std::string undoneDetail(const HandPair& pair);
std::string brokenDetail(const HandPair& pair);

/// The columns of the pairs' listing: Pair, Side, ID, Date, Office Name, Kind, Amount,
/// Difference, Text, By, When, State.
const std::vector<std::string>& pairHeaders();
/// A pair's lines, one per row, in the order of the headers: amounts with two decimals, the
/// date dd/mm/yyyy, When yyyy-mm-dd hh:mm:ss.
std::vector<std::vector<std::string>> pairLines(const HandPair& pair);

// Why a stored pair cannot be read.
/// "A hand pair holds an unknown state 'x'" for field "state", and so on.
std::string unknownPairFieldText(const char* field, const std::string& value);
/// "A hand pair holds a time that is no time: 'x'".
std::string pairNoTimeText(const std::string& value);

}  // namespace vesk::pairs
