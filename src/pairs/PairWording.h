#pragma once

#include <string>
#include <vector>

#include "core/Error.h"
#include "core/Prompter.h"
#include "pairs/HandPairs.h"

namespace vesk::pairs {

// What the hand pairs say, in the windows and on the command line alike.

/// "VESK T1 of 02/04/2025", "ORV R5 of 03/04/2025": a row of a pair in words.
std::string pairRowText(const PairRow& row);
/// Why the pair was not made, naming its row or rule.
std::string refusalText(const Refusal& refusal, const std::string& databasePath);
/// Why nothing was undone; empty when the pair was.
std::string undoRefusalText(const Undo& undo, const std::string& name, const std::string& databasePath);

/// The window's notices: a refusal (refusalText, undoRefusalText) and a failure, under the
/// title "Pair by Hand".
Message pairRefused(const std::string& refusal);
Message pairFailed(const Error& error);
/// An action asked for with no row chosen: "Please select a row to unpair."
Message noRowChosen(const std::string& action);
/// "Pair Selected…" with no bank row or no ORV entry among the rows chosen.
Message noRowsToPair();
/// "Pair as Hinted" on a row whose hint names no row of the other side ("VESK T1 of 02/04/2025").
Message noHintToPair(const std::string& row);
/// "Unpair" on a row not paired by hand.
Message notPairedByHand(const std::string& row);
/// Whether to undo the pair: "Undo hand pair M7? Its rows return to the rules.", No by default.
Message undoQuestion(int number);
/// The pair dialog's sums: "VESK: 2 rows, 1,250.00", "ORV: 1 entry, 1,200.00" and
/// "Difference (bank less ORV): 50.00".
std::vector<std::string> draftSumsLines(std::size_t bankRows, double bankSum, std::size_t orvRows, double orvSum);

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

}  // namespace vesk::pairs
