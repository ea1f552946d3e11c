#pragma once

#include <map>
#include <tuple>
#include <vector>

#include "compare/Explanation.h"
#include "compare/Hint.h"

namespace vesk::compare {

/// How far from a month the candidates of the searches reach, in days either side.
inline constexpr long long kHintReachDays = 10;
/// The searches' day ranges: late or early, and at another office.
inline constexpr long long kNearestLateDays = 4;
inline constexpr long long kFarthestLateDays = 10;
inline constexpr long long kFarthestOfficeDays = 3;

/// The candidates of the searches after the first: the rows the explanation of their own
/// month classes bank-only, orv-only or amount-differs, of every office, dated within reach
/// of the month explained. Looked up by side, kind and amount, and by side, office, kind and
/// date.
class HintCandidates {
  public:
    explicit HintCandidates(std::vector<ExplainedLine> exceptions);

    /// The hint of a line: the first search that finds a counterpart, for a bank-only,
    /// orv-only or amount-differs line (none for any other). The first search takes the
    /// line's twin (see ExplainedLine::twin).
    Hint hintFor(const ExplainedLine& line) const;

  private:
    using Indices = std::vector<std::size_t>;
    Indices sameDate(const ExplainedLine& line) const;
    /// The other side's candidates of the line's kind whose amounts equal its own.
    std::pair<Indices::const_iterator, Indices::const_iterator> equalAmounts(const ExplainedLine& line) const;

    Hint lateOrEarly(const ExplainedLine& line) const;
    Hint anotherOffice(const ExplainedLine& line) const;
    Hint digitsSwapped(const ExplainedLine& line, const Indices& sameDate) const;
    Hint decimalPoint(const ExplainedLine& line, const Indices& sameDate) const;
    Hint severalSets(const ExplainedLine& line, const Indices& sameDate) const;
    Hint amountDiffers(const ExplainedLine& line, const Indices& sameDate) const;

    std::vector<ExplainedLine> m_lines;
    std::vector<std::int64_t> m_units;
    // By side and kind, sorted by amount.
    std::map<std::pair<notes::Side, ExplainKind>, Indices> m_byAmount;
    // By side, office, kind and date.
    std::map<std::tuple<notes::Side, std::string, ExplainKind, long long>, Indices> m_byDate;
};

/// Gives every bank-only, orv-only and amount-differs line its hint.
void attachHints(std::vector<ExplainedLine>& lines, const HintCandidates& candidates);

}  // namespace vesk::compare
