#include "review/SignOffs.h"

#include "core/Error.h"
#include "core/Text.h"
#include "history/ImportHistory.h"
#include "notes/Notes.h"
#include "review/ReviewWording.h"
#include "review/SignOffStatements.h"
#include "store/Schema.h"
#include "store/StoredRows.h"
#include "store/Transaction.h"

namespace vesk::review {

namespace {

bool keepsSignOffs(store::Connection& db) { return db.layoutVersion() >= store::kSignOffsLayout; }

// C0 and C1 controls, DEL among them: the printout would draw them as boxes or break its lines.
bool holdsControl(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return true;
        if (c == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

std::string checkedSignOffText(const std::string& given, SignOffRole role, bool designation) {
    std::string text = trim(given);
    if (holdsControl(text)) throw Error(errc::kUsage, signOffControlText(role, designation));
    const std::size_t length = notes::characterCount(text);
    if (length > kLongestSignOffText) throw Error(errc::kUsage, signOffTooLongText(role, designation, length));
    return text;
}

}  // namespace

const char* signOffRoleKey(SignOffRole role) {
    switch (role) {
        case SignOffRole::Prepared:
            return "prepared";
        case SignOffRole::Checked:
            return "checked";
        case SignOffRole::Approved:
            return "approved";
    }
    return "";
}

std::vector<compare::SignOff> signOffs(store::Connection& db) {
    std::vector<compare::SignOff> out;
    for (SignOffRole role : kSignOffRoles) out.push_back({signOffRoleText(role), "", ""});
    if (!keepsSignOffs(db)) return out;
    const store::StoredRows rs(db, sql::kSignOffsTable, db.query(sql::kSignOffs));
    const std::size_t role = rs.column("role"), name = rs.column("name"), designation = rs.column("designation");
    // A role this build does not name is a newer build's: passed over.
    for (std::size_t r = 0; r < rs.size(); ++r)
        for (std::size_t at = 0; at < kSignOffRoles.size(); ++at)
            if (equalsNoCase(rs.text(r, role), signOffRoleKey(kSignOffRoles[at]))) {
                out[at].name = rs.text(r, name);
                out[at].designation = rs.text(r, designation);
            }
    return out;
}

bool setSignOffs(store::Connection& db, const std::vector<compare::SignOff>& wanted, const std::string& who,
                 const Clock& now) {
    if (wanted.size() != kSignOffRoles.size()) throw Error(errc::kInternal, "Three sign-offs are set together");
    std::vector<compare::SignOff> after;
    for (std::size_t at = 0; at < wanted.size(); ++at) {
        const SignOffRole role = kSignOffRoles[at];
        after.push_back({signOffRoleText(role), checkedSignOffText(wanted[at].name, role, false),
                         checkedSignOffText(wanted[at].designation, role, true)});
    }
    if (!keepsSignOffs(db)) throw Error(store::kReadOnlyError, kSignOffsNotKept);
    store::Transaction tx = db.begin();
    const std::vector<compare::SignOff> before = signOffs(db);
    if (before == after) return false;
    for (std::size_t at = 0; at < after.size(); ++at)
        db.execute(sql::kSaveSignOff, {signOffRoleKey(kSignOffRoles[at]), after[at].name, after[at].designation});
    history::Change change;
    change.action = history::Action::SignOffsChanged;
    change.by = who;
    change.signOffs = signOffsChangeText(before, after);
    history::recordChange(db, change, now());
    tx.commit();
    return true;
}

}  // namespace vesk::review
