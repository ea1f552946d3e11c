#include "compare/Explanation.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>
#include <tuple>

#include "compare/CompareStatements.h"
#include "compare/CompareWording.h"
#include "compare/PairingRules.h"
#include "core/DateTime.h"
#include "core/Error.h"
#include "core/Text.h"
#include "pairs/HandPairs.h"
#include "report/ReportStatements.h"
#include "store/ConcurrentRead.h"
#include "store/ExactSum.h"

namespace vesk::compare {

namespace {

// The days from..to, through the keys of the months first..last and of the month either side.
DaySpan windowSpan(Period first, Period last, long long from, long long to) {
    DaySpan span{{}, isoDate(dateOfDay(from)), isoDate(dateOfDay(to + 1))};
    const Period end = shiftedMonth(last, 1);
    for (Period p = shiftedMonth(first, -1);; p = shiftedMonth(p, 1)) {
        span.monthKeys.push_back(monthKey(p.year, p.month));
        if (p.year == end.year && p.month == end.month) break;
    }
    return span;
}

// The day of a date as the rows hold it: text CDate reads, which reads it as this does (its
// own "yyyy-mm-dd" first, the same day either way). The columns keep text only.
long long dayOf(std::string_view text) {
    const std::optional<DateTime> d = parseDateText(text);
    if (!d) throw Error(errc::kTypeMismatch, kTypeMismatchText);
    return daysFromCivil(d->year, d->month, d->day);
}

// A row as read, its ID kept in the read's text of IDs: plain numbers only, so that growing and
// sorting a bucket of them moves bytes and no strings.
struct Row {
    ExplainSide side;
    long long day;
    std::int64_t units;
    double amount;
    std::int64_t row = 0;  // a bank row's row id: the order of its bucket
    std::uint32_t idAt = 0, idSize = 0;
};

// One office's rows of one kind.
struct Bucket {
    std::vector<Row> bank;
    std::vector<Row> orv;
};
struct Buckets {
    std::map<std::pair<std::string, ExplainKind>, Bucket> byOffice;
    std::string ids;  // every row's ID, one after another

    std::string_view id(const Row& r) const { return std::string_view(ids).substr(r.idAt, r.idSize); }
    void keepId(Row& r, std::string_view id) {
        r.idAt = static_cast<std::uint32_t>(ids.size());
        r.idSize = static_cast<std::uint32_t>(id.size());
        ids.append(id);
    }
    // Lets go of the rows dated before the day, the others kept in their order.
    void dropBefore(long long day) {
        std::string kept;
        for (auto& entry : byOffice)
            for (std::vector<Row>* rows : {&entry.second.bank, &entry.second.orv}) {
                std::erase_if(*rows, [day](const Row& r) { return r.day < day; });
                for (Row& r : *rows) {
                    const std::string_view text = id(r);
                    r.idAt = static_cast<std::uint32_t>(kept.size());
                    kept.append(text);
                }
            }
        ids = std::move(kept);
    }
};

// The offices of each facility (upper case), as the comparison's join finds them.
using Facilities = std::multimap<std::string, std::string>;

// The head office of each office (upper case; none for an office the master gives none): the
// offices whose entries pair with one another when the rules pair another office's entries.
using HeadOffices = std::map<std::string, std::string>;

// The rows the statement finds within from..to into their buckets: ORV entries name their
// office, bank rows their facility. The bank's come in no set order; each bucket takes them
// in the order of their row ids, as the table holds them.
void readRows(store::Connection& db, const std::string& sql, ExplainSide side, long long from, long long to,
              const Facilities& facilities, Buckets& buckets) {
    const store::ScanCache scan(db);
    store::Statement read = db.prepare(sql);
    const bool bank = side == ExplainSide::Bank;
    const std::size_t office = read.columnIndex(bank ? "Facility" : "OffName"), id = read.columnIndex("Id"),
                      date = read.columnIndex("TDate"), kind = read.columnIndex(bank ? "Deposit" : "Kind"),
                      amount = read.columnIndex("Amount");
    const std::size_t rowId = bank ? read.columnIndex("Row") : 0;
    // The buckets of the last row: the rows come office by office (or facility by facility),
    // so a row's are nearly always the last one's.
    std::pair<std::string, ExplainKind> lastKey;
    Bucket* last = nullptr;
    std::vector<Bucket*> targets;
    bool anyBank = false;
    read.each({}, [&](const store::RowView& r) {
        ExplainKind k = ExplainKind::Deposit;
        double value = 0;
        if (bank) {
            k = r.integer(kind) == 1 ? ExplainKind::Deposit : ExplainKind::Withdrawal;
        } else {
            // Read before the day is, as the comparison's expressions read them: an entry of
            // neither kind is none it counts, and a damaged amount fails on the same row.
            const std::optional<report::Side> s = report::orvEntrySide(r.text(kind));
            if (!s) return;
            k = *s == report::Side::Deposit ? ExplainKind::Deposit : ExplainKind::Withdrawal;
            value = r.val(amount);
        }
        const long long day = dayOf(r.text(date));
        if (day < from || day > to) return;
        if (bank) value = r.number(amount);
        Row row{side, day, amountUnits(value), value};
        buckets.keepId(row, r.text(id));
        if (!bank) {
            const std::string_view name = r.text(office);
            if (!last || lastKey.second != k || lastKey.first != name) {
                lastKey = {std::string(name), k};
                last = &buckets.byOffice[lastKey];
            }
            last->orv.push_back(row);
            return;
        }
        row.row = r.integer(rowId);
        const std::string_view facility = r.text(office);
        if (!anyBank || lastKey.second != k || lastKey.first != facility) {
            anyBank = true;
            lastKey = {std::string(facility), k};
            targets.clear();
            const auto [first, end] = facilities.equal_range(upper(facility));
            for (auto it = first; it != end; ++it) targets.push_back(&buckets.byOffice[{it->second, k}]);
        }
        for (Bucket* b : targets) b->bank.push_back(row);
    });
    if (bank)
        for (auto& entry : buckets.byOffice)
            std::sort(entry.second.bank.begin(), entry.second.bank.end(),
                      [](const Row& a, const Row& b) { return a.row < b.row; });
}

Facilities facilitiesOf(store::Connection& db, const std::string& condition) {
    Facilities facilities;
    const store::ResultSet offices = db.query(officeFacilitiesStatement(condition));
    const std::size_t facility = offices.columnIndex("Facility"), name = offices.columnIndex("OffName");
    for (std::size_t r = 0; r < offices.rowCount(); ++r)
        if (!offices.field(r, facility).isNull())
            facilities.emplace(upper(offices.field(r, facility).toText()), offices.field(r, name).toText());
    return facilities;
}

HeadOffices headOfficesOf(store::Connection& db, const std::string& condition) {
    HeadOffices heads;
    const store::ResultSet offices = db.query(officeFacilitiesStatement(condition));
    const std::size_t name = offices.columnIndex("OffName"), head = offices.columnIndex("HeadOffice");
    for (std::size_t r = 0; r < offices.rowCount(); ++r)
        if (!offices.field(r, head).isNull() && !trim(offices.field(r, head).toText()).empty())
            heads.emplace(offices.field(r, name).toText(), upper(trim(offices.field(r, head).toText())));
    return heads;
}

// Whether the two sides' rows are read at once, the ORV entries on a connection of their own:
// for one month, whose reading is most of its explanation; months shared out among workers
// already keep every core busy.
enum class SideReads { Together, OneAfterTheOther };

// The rows of the offices the condition names dated from `first`'s window to `last`'s.
Buckets readBuckets(store::Connection& db, const std::string& condition, Period first, Period last,
                    long long windowDays, SideReads reads = SideReads::OneAfterTheOther) {
    db.execute(kPlanJoins);
    const Facilities facilities = facilitiesOf(db, condition);
    Buckets buckets;
    const long long from = firstDayOf(first) - windowDays, to = lastDayOf(last) + windowDays;
    const DaySpan span = windowSpan(first, last, from, to);
    const std::string orvSql = explainOrvStatement(condition, span);
    if (reads == SideReads::OneAfterTheOther) {
        readRows(db, explainBankStatement(condition, span), ExplainSide::Bank, from, to, facilities, buckets);
        readRows(db, orvSql, ExplainSide::Orv, from, to, facilities, buckets);
        return buckets;
    }
    Buckets orv;
    store::ConcurrentRead orvRead(db, [&](store::Connection& on) {
        on.execute(kPlanJoins);
        readRows(on, orvSql, ExplainSide::Orv, from, to, facilities, orv);
    });
    readRows(db, explainBankStatement(condition, span), ExplainSide::Bank, from, to, facilities, buckets);
    orvRead.wait();
    const auto moved = static_cast<std::uint32_t>(buckets.ids.size());
    buckets.ids += orv.ids;
    for (auto& [key, bucket] : orv.byOffice) {
        for (Row& r : bucket.orv) r.idAt += moved;
        buckets.byOffice[key].orv = std::move(bucket.orv);
    }
    return buckets;
}

using Manual = std::map<notes::RowKey, pairs::ManualMark>;

// The held hand pairs' rows of the row, if it is one.
const pairs::ManualMark* manualMark(const Manual& manual, const Row& row, std::string_view id) {
    if (manual.empty()) return nullptr;
    const auto it = manual.find(notes::rowKey(row.side, std::string(id), row.day));
    return it == manual.end() ? nullptr : &it->second;
}

// The row of the side booked twice as rows[i]: the same date and an equal amount, of any
// class; the lowest ID of them.
std::optional<Twin> twinOf(const Buckets& buckets, const std::vector<const Row*>& rows, std::size_t i) {
    const Row* best = nullptr;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const Row& r = *rows[k];
        if (k == i || r.day != rows[i]->day || !amountsEqual(r.units, rows[i]->units)) continue;
        if (!best || buckets.id(r) < buckets.id(*best)) best = &r;
    }
    if (!best) return std::nullopt;
    return Twin{std::string(buckets.id(*best)), best->amount};
}

ExplainedLine lineOf(const Buckets& buckets, const std::pair<std::string, ExplainKind>& bucket, const Row& row,
                     PairClass cls, int group) {
    ExplainedLine line;
    line.office = bucket.first;
    line.kind = bucket.second;
    line.side = row.side;
    line.day = row.day;
    line.id = buckets.id(row);
    line.amount = row.amount;
    line.cls = cls;
    line.group = group;
    return line;
}

// How a month is paired: by which rules, the offices' head offices when the rules pair another
// office's entries, and the offices whose lines are given (none: every office read).
struct MonthPairing {
    const PairingRules& rules;
    const HeadOffices* headOffices = nullptr;
    const std::set<std::string>* shown = nullptr;

    bool shows(const std::string& office) const { return !shown || shown->count(office) > 0; }
};

// One office's rows of one kind in the month's window, as the rules paired them.
struct PairedBucket {
    const std::pair<std::string, ExplainKind>* key = nullptr;
    std::vector<const Row*> bankAll, orvAll, bank, orv;  // every row of the window; those the rules pair
    std::vector<ExplainedLine> manual;                   // the lines of its held hand pairs' rows
    PairingResult paired;
    int groupBase = 0;
};

// The rows each office left on one side only, paired with a row of the other side of another
// office under the same head office: the same kind, date and amount. Bank rows in the buckets'
// order take the first such entry left, in the buckets' order.
void pairOtherOffices(std::vector<PairedBucket>& buckets, const HeadOffices& heads, long long first, long long last,
                      int& groupBase) {
    using Place = std::pair<std::size_t, std::size_t>;  // bucket, entry
    std::map<std::tuple<std::string, ExplainKind, long long>, std::vector<Place>> left;
    const auto headOf = [&](const PairedBucket& b) -> const std::string* {
        const auto it = heads.find(b.key->first);
        return it == heads.end() ? nullptr : &it->second;
    };
    for (std::size_t at = 0; at < buckets.size(); ++at) {
        const PairedBucket& b = buckets[at];
        if (const std::string* head = headOf(b))
            for (std::size_t i = 0; i < b.orv.size(); ++i)
                if (b.paired.orv[i].cls == PairClass::OrvOnly && b.orv[i]->day >= first && b.orv[i]->day <= last)
                    left[{*head, b.key->second, b.orv[i]->day}].push_back({at, i});
    }
    for (std::size_t at = 0; at < buckets.size(); ++at) {
        PairedBucket& b = buckets[at];
        const std::string* head = headOf(b);
        if (!head) continue;
        for (std::size_t i = 0; i < b.bank.size(); ++i) {
            PairOutcome& bankOutcome = b.paired.bank[i];
            const Row& row = *b.bank[i];
            if (bankOutcome.cls != PairClass::BankOnly || row.day < first || row.day > last) continue;
            const auto it = left.find({*head, b.key->second, row.day});
            if (it == left.end()) continue;
            for (const auto& [other, entry] : it->second) {
                PairedBucket& o = buckets[other];
                PairOutcome& orvOutcome = o.paired.orv[entry];
                if (o.key->first == b.key->first || orvOutcome.cls != PairClass::OrvOnly ||
                    !amountsEqual(o.orv[entry]->units, row.units))
                    continue;
                const int group = groupBase++;
                bankOutcome = {PairClass::OtherOffice, group - b.groupBase, 0};
                orvOutcome = {PairClass::OtherOffice, group - o.groupBase, 0};
                break;
            }
        }
    }
}

// Told of each row of a held hand pair dated in the month, of the offices whose lines are given.
using ManualRow = std::function<void(PairedBucket&, const Row&, const pairs::ManualMark&)>;

// Every bucket's rows of the month's window paired by the rules, the rows of held hand pairs set
// apart first; group numbers continue from groupBase.
std::vector<PairedBucket> pairBuckets(const Buckets& buckets, Period period, const Manual& manual,
                                      const MonthPairing& how, int& groupBase, const ManualRow& onManual) {
    const long long first = firstDayOf(period), last = lastDayOf(period), window = how.rules.windowDays();
    const auto inWindow = [&](const Row& r) { return r.day >= first - window && r.day <= last + window; };
    std::vector<PairedBucket> paired;
    for (const auto& entry : buckets.byOffice) {
        PairedBucket p;
        p.key = &entry.first;
        const bool shown = how.shows(entry.first.first);
        std::vector<PairEntry> bankEntries, orvEntries;
        const auto take = [&](const std::vector<Row>& rows, std::vector<const Row*>& all, std::vector<const Row*>& free,
                              std::vector<PairEntry>& entries) {
            for (const Row& r : rows) {
                if (!inWindow(r)) continue;
                all.push_back(&r);
                const pairs::ManualMark* mark = manualMark(manual, r, buckets.id(r));
                if (!mark) {
                    free.push_back(&r), entries.push_back({std::string(buckets.id(r)), r.day, r.units});
                    continue;
                }
                if (r.day >= first && r.day <= last && shown && onManual) onManual(p, r, *mark);
            }
        };
        take(entry.second.bank, p.bankAll, p.bank, bankEntries);
        take(entry.second.orv, p.orvAll, p.orv, orvEntries);
        if (!p.bank.empty() || !p.orv.empty()) {
            p.paired = pairEntries(bankEntries, orvEntries, first, last, how.rules);
            p.groupBase = groupBase;
            groupBase += p.paired.pairs;
        }
        if (!p.manual.empty() || !p.bank.empty() || !p.orv.empty()) paired.push_back(std::move(p));
    }
    if (how.headOffices) pairOtherOffices(paired, *how.headOffices, first, last, groupBase);
    return paired;
}

// Pairs every bucket's rows of the month's window, the rows of held hand pairs set apart
// first, counts each row of the month when asked to, and adds the lines of the month that
// `keep` accepts; group numbers continue from those already in `lines`.
void pairMonth(const Buckets& buckets, Period period, bool (*keep)(PairClass), const Manual& manual,
               const RowCounter& count, std::vector<ExplainedLine>& lines, int& groupBase, const MonthPairing& how) {
    const long long first = firstDayOf(period), last = lastDayOf(period);
    const auto inMonth = [&](const Row& r) { return r.day >= first && r.day <= last; };
    // A line is half a kilobyte: growing a month's few hundred thousand of them step by step
    // costs more in fresh pages than the pairing itself.
    if (keep == everyClass) {
        std::size_t most = lines.size();
        for (const auto& entry : buckets.byOffice) {
            if (!how.shows(entry.first.first)) continue;
            for (const Row& r : entry.second.bank) most += inMonth(r);
            for (const Row& r : entry.second.orv) most += inMonth(r);
        }
        lines.reserve(most);
    }
    const auto counted = [&](const std::pair<std::string, ExplainKind>& key, const Row& r, PairClass cls) {
        if (count) count({cls, r.side, key.second, r.amount});
    };
    std::vector<PairedBucket> paired = pairBuckets(
        buckets, period, manual, how, groupBase, [&](PairedBucket& p, const Row& r, const pairs::ManualMark& mark) {
            counted(*p.key, r, PairClass::Manual);
            if (!keep(PairClass::Manual)) return;
            ExplainedLine line = lineOf(buckets, *p.key, r, PairClass::Manual, 0);
            line.otherDay = mark.otherDay;
            line.handPair = mark.pair;
            p.manual.push_back(std::move(line));
        });
    for (PairedBucket& p : paired) {
        if (!how.shows(p.key->first)) continue;
        for (ExplainedLine& line : p.manual) lines.push_back(std::move(line));
        auto add = [&](const std::vector<const Row*>& rows, const std::vector<const Row*>& all,
                       const std::vector<PairOutcome>& outcomes) {
            for (std::size_t i = 0, a = 0; i < rows.size(); ++i) {
                const Row& row = *rows[i];
                const PairOutcome& o = outcomes[i];
                if (!inMonth(row)) continue;
                counted(*p.key, row, o.cls);
                if (!keep(o.cls)) continue;
                ExplainedLine line = lineOf(buckets, *p.key, row, o.cls, o.pair < 0 ? 0 : p.groupBase + o.pair + 1);
                if (o.cls == PairClass::Timing) line.otherDay = o.otherDay;
                if (isUnpaired(o.cls)) {
                    while (all[a] != &row) ++a;  // both in the bucket's order
                    line.twin = twinOf(buckets, all, a);
                }
                lines.push_back(std::move(line));
            }
        };
        add(p.bank, p.bankAll, p.paired.bank);
        add(p.orv, p.orvAll, p.paired.orv);
    }
}

// The lines in the order they are listed: office name without regard to case, then as
// spelled, kind, date, side and ID. The offices are ranked once, so that lines compare by a
// number rather than by names: a month of every office holds a few hundred thousand lines.
void sortListed(std::vector<ExplainedLine>& lines) {
    std::map<std::string, std::size_t> rank;
    for (const ExplainedLine& line : lines) rank.emplace(line.office, 0);
    std::vector<std::pair<std::string, const std::string*>> byName;
    byName.reserve(rank.size());
    for (const auto& entry : rank) byName.emplace_back(upper(entry.first), &entry.first);
    std::sort(byName.begin(), byName.end(),
              [](const auto& a, const auto& b) { return std::tie(a.first, *a.second) < std::tie(b.first, *b.second); });
    for (std::size_t n = 0; n < byName.size(); ++n) rank[*byName[n].second] = n;
    // The lines come office by office, a kind at a time: the runs of one office and kind are
    // put in order first, then each office and kind's lines sorted among themselves, which
    // keeps every sort within a few hundred lines that sit together.
    struct Run {
        std::size_t rank, begin, end;
        ExplainKind kind;
    };
    std::vector<Run> runs;
    for (std::size_t n = 0; n < lines.size(); ++n) {
        const ExplainedLine& line = lines[n];
        if (!runs.empty() && runs.back().end == n && line.kind == runs.back().kind &&
            line.office == lines[runs.back().begin].office) {
            ++runs.back().end;
            continue;
        }
        runs.push_back({rank.find(line.office)->second, n, n + 1, line.kind});
    }
    std::stable_sort(runs.begin(), runs.end(),
                     [](const Run& a, const Run& b) { return std::tie(a.rank, a.kind) < std::tie(b.rank, b.kind); });
    std::vector<std::size_t> order;
    order.reserve(lines.size());
    for (std::size_t r = 0; r < runs.size();) {
        const std::size_t from = order.size();
        std::size_t next = r;
        for (; next < runs.size() && runs[next].rank == runs[r].rank && runs[next].kind == runs[r].kind; ++next)
            for (std::size_t n = runs[next].begin; n < runs[next].end; ++n) order.push_back(n);
        std::stable_sort(order.begin() + std::ptrdiff_t(from), order.end(), [&](std::size_t i, std::size_t j) {
            const ExplainedLine &a = lines[i], &b = lines[j];
            return std::tie(a.day, a.side, a.id) < std::tie(b.day, b.side, b.id);
        });
        r = next;
    }
    // Moved into place cycle by cycle, not into a second vector of them.
    for (std::size_t start = 0; start < order.size(); ++start) {
        if (order[start] == start) continue;
        ExplainedLine held = std::move(lines[start]);
        std::size_t at = start;
        while (order[at] != start) {
            const std::size_t from = order[at];
            lines[at] = std::move(lines[from]);
            order[at] = at;
            at = from;
        }
        lines[at] = std::move(held);
        order[at] = at;
    }
}

// Numbers the groups 1, 2, ... in the order the lines show them.
void numberGroups(std::vector<ExplainedLine>& lines) {
    int highest = 0;
    for (const ExplainedLine& line : lines) highest = std::max(highest, line.group);
    std::vector<int> numbers(std::size_t(highest) + 1, 0);  // by group; 0 for not yet seen
    int next = 0;
    for (ExplainedLine& line : lines) {
        if (line.group <= 0) continue;
        int& number = numbers[std::size_t(line.group)];
        if (number == 0) number = ++next;
        line.group = number;
    }
}

}  // namespace

std::optional<std::string> masterOfficeName(store::Connection& db, const std::string& name) {
    const store::ResultSet rs = db.query(officeSpellingsStatement(), {trim(name)});
    std::optional<std::string> found;
    for (std::size_t r = 0; r < rs.rowCount(); ++r) {
        std::string spelling = rs.field(r, 0).toText();
        if (spelling == trim(name)) return spelling;
        if (!found) found = std::move(spelling);
    }
    return found;
}

Explanation explainOffices(store::Connection& db, Period period, const std::vector<std::string>& offices) {
    return explainOffices(db, period, offices, everyClass, {});
}

Explanation explainOffices(store::Connection& db, Period period, const std::vector<std::string>& offices,
                           bool (*keep)(PairClass), const RowCounter& count) {
    Explanation result;
    result.period = period;
    if (offices.empty()) return result;
    const PairingRules rules = pairingRules(db);
    result.rules = rules;
    MonthPairing how{rules};
    std::string condition = officeListCondition(offices);
    // Another office's entry pairs only when its own rows are read too: every office under the
    // same head offices is paired, and the lines of those asked for are given.
    HeadOffices heads;
    std::set<std::string> shown;
    if (rules.otherOffice) {
        heads = headOfficesOf(db, everyOfficeCondition());
        std::set<std::string> wanted;
        for (const std::string& office : offices)
            if (const auto it = heads.find(office); it != heads.end()) wanted.insert(it->second);
        std::vector<std::string> read = offices;
        for (const auto& [office, head] : heads)
            if (wanted.count(head) && std::find(offices.begin(), offices.end(), office) == offices.end())
                read.push_back(office);
        shown = {offices.begin(), offices.end()};
        condition = officeListCondition(read);
        how.headOffices = &heads;
        how.shown = &shown;
    }
    const Buckets buckets = readBuckets(db, condition, period, period, rules.windowDays(), SideReads::Together);
    int groupBase = 0;
    pairMonth(buckets, period, keep, pairs::heldPairMarks(db), count, result.lines, groupBase, how);
    sortListed(result.lines);
    numberGroups(result.lines);
    attachNotes(result.lines, notes::NoteBook::read(db));
    return result;
}

std::vector<ExplainedLine> pairedWith(store::Connection& db, const notes::RowRef& row) {
    std::vector<ExplainedLine> out;
    std::vector<std::string> offices;
    for (const notes::HeldRow& held : notes::heldRowsWithId(db, row.side, row.id))
        if (held.day == row.day && !held.office.empty()) offices.push_back(held.office);
    if (offices.empty()) return out;
    const Explanation month = explainOffices(db, monthOfDay(row.day), {offices.front()});
    const notes::RowKey key = notes::rowKey(row);
    int group = 0;
    for (const ExplainedLine& line : month.lines)
        if (line.cls != PairClass::Manual && line.group > 0 && notes::rowKey(line.ref()) == key) group = line.group;
    if (group == 0) return out;
    for (const ExplainedLine& line : month.lines)
        if (line.group == group && notes::rowKey(line.ref()) != key) out.push_back(line);
    return out;
}

namespace {

// The rows of the offices the condition names, read a month at a time and each month once
// while the months are paired in turn: the buckets hold a month's rows with those of the months
// either side, as a read of all of them at once would hold them (the bank's by row id, the ORV
// entries month by month, earliest first).
class MonthRows {
  public:
    MonthRows(store::Connection& db, const std::string& condition, const std::vector<Period>& paired,
              long long windowDays)
        : m_db(db), m_condition(condition), m_facilities(facilitiesOf(db, condition)), m_window(windowDays) {
        for (const Period& p : paired) m_paired.insert(p.index());
    }

    const Buckets& around(Period month) {
        const int need = month.index() - 1;
        if (m_next <= m_first || need < m_first || need > m_next) {
            m_buckets = Buckets{};
            m_first = m_next = need;
        } else if (need > m_first) {
            m_buckets.dropBefore(firstDayOf(periodOfIndex(need)));
            m_first = need;
        }
        for (; m_next <= need + 2; ++m_next) read(periodOfIndex(m_next));
        return m_buckets;
    }

  private:
    // A month that is not paired itself lends only the days of its neighbours' windows.
    void read(Period month) {
        long long from = firstDayOf(month), to = lastDayOf(month);
        const int at = month.index();
        const bool before = m_paired.count(at - 1) > 0, after = m_paired.count(at + 1) > 0;
        if (!m_paired.count(at)) {
            if ((!before && !after) || m_window == 0) return;
            if (!before) from = to - m_window + 1;
            if (!after) to = from + m_window - 1;
        }
        m_db.execute(kPlanJoins);
        DaySpan span{{monthKey(month.year, month.month)}, {}, {}};
        if (!m_paired.count(at)) {
            span.firstDay = int(from - firstDayOf(month)) + 1;
            span.lastDay = int(to - firstDayOf(month)) + 1;
        }
        readRows(m_db, explainBankStatement(m_condition, span), ExplainSide::Bank, from, to, m_facilities, m_buckets);
        readRows(m_db, explainOrvStatement(m_condition, span), ExplainSide::Orv, from, to, m_facilities, m_buckets);
    }

    store::Connection& m_db;
    const std::string& m_condition;
    const Facilities m_facilities;
    const long long m_window;
    std::set<int> m_paired;
    Buckets m_buckets;
    int m_first = 0, m_next = 0;  // the months held: m_first up to before m_next
};

// As many shares as cores, but never so many that their rows crowd the memory.
std::size_t sharesFor(std::size_t offices) {
    constexpr std::size_t kMostShares = 4;
    return std::max<std::size_t>(1, std::min({std::size_t(std::thread::hardware_concurrency()), offices, kMostShares}));
}

// The master's offices shared out for pairing on several connections: runs of their names, each
// share's lines following the one before as one pass over every office would give them; or,
// when another office's entries pair, runs of whole head offices, so that each share holds every
// office that one of its offices may pair with.
std::vector<std::vector<std::string>> officeShares(store::Connection& db, const PairingRules& rules,
                                                   const HeadOffices& heads) {
    std::vector<std::string> names;
    const store::ResultSet offices = db.query(officeFacilitiesStatement(everyOfficeCondition()));
    const std::size_t name = offices.columnIndex("OffName");
    for (std::size_t r = 0; r < offices.rowCount(); ++r) names.push_back(offices.field(r, name).toText());
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    const auto headOf = [&](const std::string& office) {
        const auto it = heads.find(office);
        return it == heads.end() ? std::string() : it->second;
    };
    if (rules.otherOffice)
        std::stable_sort(names.begin(), names.end(),
                         [&](const std::string& a, const std::string& b) { return headOf(a) < headOf(b); });
    const std::size_t count = sharesFor(names.size());
    std::vector<std::vector<std::string>> shares;
    for (std::size_t s = 0, at = 0; s < count && at < names.size(); ++s) {
        std::size_t end = s + 1 == count ? names.size() : std::max(at + 1, (s + 1) * names.size() / count);
        while (rules.otherOffice && end < names.size() && !headOf(names[end]).empty() &&
               headOf(names[end]) == headOf(names[end - 1]))
            ++end;
        shares.emplace_back(names.begin() + std::ptrdiff_t(at), names.begin() + std::ptrdiff_t(end));
        at = end;
    }
    return shares;
}

// Each share's months paired in turn on a connection of its own (the first share's on the
// caller's), every month of them read once with the days of the window either side.
void eachShareMonth(store::Connection& db, const std::vector<std::vector<std::string>>& shares,
                    const std::vector<Period>& months, long long windowDays,
                    const std::function<void(std::size_t share, std::size_t month, const Buckets&)>& work) {
    const auto run = [&](std::size_t s) {
        return [&, s](store::Connection& on) {
            const std::string condition = shares.size() == 1 ? everyOfficeCondition() : officeListCondition(shares[s]);
            MonthRows rows(on, condition, months, windowDays);
            for (std::size_t i = 0; i < months.size(); ++i) work(s, i, rows.around(months[i]));
        };
    };
    std::vector<std::unique_ptr<store::ConcurrentRead>> others;
    for (std::size_t s = 1; s < shares.size(); ++s)
        others.push_back(std::make_unique<store::ConcurrentRead>(db, run(s)));
    if (!shares.empty()) run(0)(db);
    for (const auto& other : others) other->wait();
}

}  // namespace

std::vector<Explanation> explainEveryOffice(store::Connection& db, const std::vector<Period>& months,
                                            bool (*keep)(PairClass)) {
    const PairingRules rules = pairingRules(db);
    const Manual manual = pairs::heldPairMarks(db);
    const HeadOffices heads = rules.otherOffice ? headOfficesOf(db, everyOfficeCondition()) : HeadOffices{};
    const std::vector<std::vector<std::string>> offices = officeShares(db, rules, heads);
    struct Share {
        std::vector<Explanation> months;
        std::vector<int> pairs;
    };
    const std::size_t count = offices.size();
    std::vector<Share> shares(count);
    for (Share& share : shares) share.months.resize(months.size()), share.pairs.assign(months.size(), 0);
    const MonthPairing how{rules, rules.otherOffice ? &heads : nullptr, nullptr};
    eachShareMonth(db, offices, months, rules.windowDays(), [&](std::size_t s, std::size_t i, const Buckets& buckets) {
        pairMonth(buckets, months[i], keep, manual, {}, shares[s].months[i].lines, shares[s].pairs[i], how);
    });

    std::vector<Explanation> out(months.size());
    for (std::size_t i = 0; i < months.size(); ++i) {
        out[i].period = months[i];
        out[i].rules = rules;
        int groupBase = 0;
        for (std::size_t s = 0; s < count; ++s) {
            for (ExplainedLine& line : shares[s].months[i].lines) {
                if (line.group > 0) line.group += groupBase;
                out[i].lines.push_back(std::move(line));
            }
            groupBase += shares[s].pairs[i];
        }
        if (rules.otherOffice) sortListed(out[i].lines);
    }
    return out;
}

namespace {

// The month's rows of the paired buckets in their order, each with the pair it is in (its group
// within the month, -1 for none) and its class.
struct RowPaired {
    const PairedBucket* bucket;
    const Row* row;
    PairClass cls;
    int group;
};

std::vector<RowPaired> monthRowsOf(const std::vector<PairedBucket>& paired, long long first, long long last) {
    std::vector<RowPaired> out;
    for (const PairedBucket& p : paired)
        for (const auto& [rows, outcomes] : {std::pair{&p.bank, &p.paired.bank}, std::pair{&p.orv, &p.paired.orv}})
            for (std::size_t i = 0; i < rows->size(); ++i) {
                const Row* r = (*rows)[i];
                if (r->day < first || r->day > last) continue;
                const PairOutcome& o = (*outcomes)[i];
                out.push_back({&p, r, o.cls, o.pair < 0 ? -1 : p.groupBase + o.pair});
            }
    return out;
}

// Who each row is paired with, as two pairings of the same rows can be weighed by: its class,
// and the first row and the number of rows of its pair in the month.
struct Partners {
    PairClass cls;
    std::size_t first, count;
    bool operator==(const Partners&) const = default;
};

std::vector<Partners> partnersOf(const std::vector<RowPaired>& rows, int groups) {
    std::vector<std::pair<std::size_t, std::size_t>> group(std::size_t(std::max(groups, 0)), {0, 0});
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].group >= 0 && group[std::size_t(rows[i].group)].second++ == 0)
            group[std::size_t(rows[i].group)].first = i;
    std::vector<Partners> out;
    out.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].group < 0)
            out.push_back({rows[i].cls, i, 1});
        else
            out.push_back(
                {rows[i].cls, group[std::size_t(rows[i].group)].first, group[std::size_t(rows[i].group)].second});
    }
    return out;
}

void addUnpaired(const RowPaired& r, std::array<store::ExactSum, 2>& sums) {
    if (r.cls == PairClass::BankOnly || r.cls == PairClass::OrvOnly)
        sums[r.bucket->key->second == ExplainKind::Deposit ? 0 : 1].add(r.row->amount);
}

// Each pair with a row that changed, once, by class.
void countPairs(const std::vector<RowPaired>& rows, const std::vector<bool>& changed, int groups,
                std::map<PairClass, std::size_t>& pairs) {
    std::vector<bool> counted(std::size_t(std::max(groups, 0)));
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (changed[i] && rows[i].group >= 0 && !counted[std::size_t(rows[i].group)]) {
            counted[std::size_t(rows[i].group)] = true;
            ++pairs[rows[i].cls];
        }
}

}  // namespace

void weighRules(store::Connection& db, const std::vector<Period>& months, const PairingRules& first,
                const PairingRules& second, bool withRows, const WeighedEach& each) {
    // Both read from the wider window, and in shares of whole head offices if either pairs them.
    PairingRules either = first;
    either.otherOffice = first.otherOffice || second.otherOffice;
    const long long window = std::max(first.windowDays(), second.windowDays());
    const Manual manual = pairs::heldPairMarks(db);
    const HeadOffices heads = either.otherOffice ? headOfficesOf(db, everyOfficeCondition()) : HeadOffices{};
    std::mutex calls;
    std::atomic<bool> stopped = false;
    const std::vector<std::vector<std::string>> shares = officeShares(db, either, heads);
    eachShareMonth(db, shares, months, window, [&](std::size_t, std::size_t i, const Buckets& buckets) {
        if (stopped) return;
        const long long from = firstDayOf(months[i]), to = lastDayOf(months[i]);
        int beforeGroups = 0, afterGroups = 0;
        const std::vector<PairedBucket> before = pairBuckets(
            buckets, months[i], manual, {first, first.otherOffice ? &heads : nullptr, nullptr}, beforeGroups, {});
        const std::vector<PairedBucket> after = pairBuckets(
            buckets, months[i], manual, {second, second.otherOffice ? &heads : nullptr, nullptr}, afterGroups, {});
        const std::vector<RowPaired> was = monthRowsOf(before, from, to), is = monthRowsOf(after, from, to);
        if (was.size() != is.size()) throw Error(errc::kInternal, "Two pairings of one month hold different rows");
        const std::vector<Partners> wasWith = partnersOf(was, beforeGroups), isWith = partnersOf(is, afterGroups);
        PairingDifference difference;
        std::vector<bool> changed(was.size());
        for (std::size_t r = 0; r < was.size(); ++r) {
            if (was[r].row != is[r].row) throw Error(errc::kInternal, "Two pairings of one month hold different rows");
            addUnpaired(was[r], difference.unpairedBefore);
            addUnpaired(is[r], difference.unpairedAfter);
            if (wasWith[r] == isWith[r]) continue;
            changed[r] = true;
            ++difference.rowsChanged;
            if (withRows)
                difference.rows.push_back(
                    {lineOf(buckets, *was[r].bucket->key, *was[r].row, was[r].cls, 0), is[r].cls});
        }
        countPairs(was, changed, beforeGroups, difference.lost);
        countPairs(is, changed, afterGroups, difference.gained);
        const std::lock_guard<std::mutex> one(calls);
        if (!stopped && !each(i, shares.size(), difference)) stopped = true;
    });
}

void attachNotes(std::vector<ExplainedLine>& lines, const notes::NoteBook& book) {
    if (book.empty()) return;
    for (ExplainedLine& line : lines)
        if (const notes::Note* note = book.find(line.side, line.id, line.day)) line.note = *note;
}

Explanation explainMonth(store::Connection& db, Period period, const ExplainTarget& target) {
    if (!target.office) {
        const MonthComparison compared = compareMonth(db, period, comparisonScope(db));
        return explainOffices(db, period, compared.officeNames());
    }
    const std::optional<std::string> name = masterOfficeName(db, *target.office);
    if (!name) throw Error(errc::kUsage, noOfficeNamedText(*target.office));
    return explainOffices(db, period, {*name});
}

std::vector<ExplainedLine> listedLines(const std::vector<ExplainedLine>& lines, bool withMatched,
                                       std::optional<long long> day) {
    std::vector<ExplainedLine> out;
    for (const ExplainedLine& line : lines) {
        if (!withMatched &&
            (line.cls == PairClass::Matched || line.cls == PairClass::Group || line.cls == PairClass::Manual))
            continue;
        if (day && line.day != *day) continue;
        out.push_back(line);
    }
    numberGroups(out);
    return out;
}

ExplanationTotals explanationTotals(const std::vector<ExplainedLine>& lines) {
    ExplanationTotals totals;
    store::ExactSum bankOnlySum, orvOnlySum;
    std::map<int, store::ExactSum> differing;  // group: bank minus ORV
    std::set<int> timing;
    for (const ExplainedLine& line : lines) {
        switch (line.cls) {
            case PairClass::BankOnly:
                ++totals.bankOnly;
                bankOnlySum.add(line.amount);
                break;
            case PairClass::OrvOnly:
                ++totals.orvOnly;
                orvOnlySum.add(line.amount);
                break;
            case PairClass::AmountDiffers:
                differing[line.group].add(line.side == ExplainSide::Bank ? line.amount : -line.amount);
                break;
            case PairClass::Timing:
                timing.insert(line.group);
                break;
            case PairClass::Matched:
            case PairClass::Group:
                ++totals.matched;
                break;
            case PairClass::Manual:
            case PairClass::OtherOffice:
                break;
        }
    }
    store::ExactSum differingSum;
    for (const auto& [group, d] : differing) differingSum.add(d.total() < 0 ? -d.total() : d.total());
    totals.bankOnlySum = bankOnlySum.total();
    totals.orvOnlySum = orvOnlySum.total();
    totals.differingPairs = differing.size();
    totals.differingSum = differingSum.total();
    totals.timingPairs = timing.size();
    return totals;
}

}  // namespace vesk::compare
