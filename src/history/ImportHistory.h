#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/DateTime.h"
#include "history/FileDigest.h"
#include "store/Connection.h"

namespace vesk::history {

/// The form whose data a change touched; the hand pairs touch both sides and have their own, as
/// the closes of months do. A passphrase's change or a restore touches the file as a whole: no
/// form's, so only "Show all" lists it.
enum class Form { Master, Ctr, Orv, Pairs, Closes, Database };

/// What changed the data.
enum class Action {
    MasterImport,
    CtrImport,
    OrvReceiptsImport,
    OrvPaymentsImport,
    CtrMonthDeletion,
    OrvMonthDeletion,
    OfficeChange,     ///< the configured office was set
    OfficesDeletion,  ///< every office was deleted
    BankNoteChange,   ///< a note on a bank row was set or changed
    OrvNoteChange,    ///< a note on an ORV entry was set or changed
    HandPairMade,     ///< rows were paired by hand
    HandPairUndone,   ///< a hand pair was undone
    HandPairBroken,   ///< an import or a deletion removed or changed a row of a hand pair
    MonthClosed,      ///< a month was closed (rows: the items carried)
    MonthReopened,    ///< a month's close was reopened
    PassphraseSet,
    PassphraseChanged,
    PassphraseRemoved,    ///< the file opens with the program's key again
    BackupRestored,       ///< the file is a backup's contents since (file: the backup)
    SignOffsChanged,      ///< the names that sign a printed statement were set
    PairingRulesChanged,  ///< the division's pairing rules were set
};

/// A note's change: the row's ID and its status before (empty for a new note) and after.
struct StatusChange {
    std::string id;
    std::string before;
    std::string after;
    bool operator==(const StatusChange&) const = default;
};

/// A hand pair's change: the pair's number ("M7") and what the record says of it.
struct PairChange {
    std::string number;
    std::string detail;
    bool operator==(const PairChange&) const = default;
};

Form formOf(Action action);

/// One change to the data, as recorded.
struct Change {
    Action action = Action::MasterImport;
    int year = 0;   ///< the period; 0 when the change has none
    int month = 0;  ///< 1..12
    std::optional<FileDigest> file;
    std::string office;  ///< the office made the configured one
    /// Who made it (login name); empty for a change recorded before the history kept it.
    std::string by;
    std::int64_t rows = 0;  ///< written or deleted
    /// Deposits and withdrawals written or deleted (receipts and payments for ORV), summed as
    /// the monthly summaries sum them; none for the offices.
    std::optional<double> deposits;
    std::optional<double> withdrawals;
    std::optional<StatusChange> note;  ///< for a note's change only
    std::optional<PairChange> pair;    ///< for a hand pair's change only
    /// For a close or its reopening: the close's number; 0 where that was not recorded.
    std::int64_t close = 0;
    std::string kept;      ///< for a restore: where the database as it was is kept ("" when there was none)
    std::string signOffs;  ///< for a sign-offs' change: the names before and after, as the record says them
    std::string rules;     ///< for a change of the pairing rules: each rule changed, before and after
};

struct Record : Change {
    std::int64_t id = 0;
    DateTime when;
};

/// Records a change within the caller's transaction, so it stands or falls with it. A file
/// of an older layout opened as it is keeps no history: nothing is recorded there.
void recordChange(store::Connection& db, const Change& change, const DateTime& when);

/// Records, in a transaction of its own, a change the file has already taken (a re-key, a
/// restore): one that cannot be recorded still stands, so the file's failure here is passed over.
void recordTakenChange(store::Connection& db, const Change& change, const DateTime& when);

/// The records, newest first: of one form, or all of them. None on a file without history.
std::vector<Record> records(store::Connection& db, std::optional<Form> form = std::nullopt);

/// When a file of this content was last imported on the form; nullopt when never.
std::optional<DateTime> lastImport(store::Connection& db, Form form, const std::string& sha256);

/// The name the records keep the action under: "ctr-import", "bank-note-change", ...
const char* actionKey(Action action);

/// The form a command line names: "master", "ctr", "orv", "pairs", "closes" or "database".
std::optional<Form> formNamed(const std::string& name);

/// The login name of whoever runs the program, as the records keep who made a change.
std::string loginName();

}  // namespace vesk::history
