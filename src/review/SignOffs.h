#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "compare/Printout.h"
#include "core/DateTime.h"
#include "store/Connection.h"

namespace vesk::review {

/// The three places of the block that closes a printed statement, in the order they sign.
enum class SignOffRole { Prepared, Checked, Approved };
inline constexpr std::array<SignOffRole, 3> kSignOffRoles = {SignOffRole::Prepared, SignOffRole::Checked,
                                                             SignOffRole::Approved};

/// The role as the file stores it ("prepared", "checked", "approved"): a key that never changes
/// once files hold it, and the word the command line's options and the dialog's controls are
/// named after.
const char* signOffRoleKey(SignOffRole role);

/// The most characters a name or a designation holds: what fits a signature's column on A4.
inline constexpr std::size_t kLongestSignOffText = 60;

/// The sign-offs as the statement prints them: always three, in the order of kSignOffRoles,
/// each with its role's words; an empty name and designation where none is stored (or the
/// file's layout keeps none).
std::vector<compare::SignOff> signOffs(store::Connection& db);

/// Sets the three sign-offs (in the order of kSignOffRoles; their role fields are not read),
/// their names and designations trimmed, in one transaction with a record in the history that
/// keeps the names before and after. False, with nothing written, when they are as stored.
/// Throws an Error saying why for a text too long or holding a control character (errc::kUsage),
/// and for a file that keeps no sign-offs or cannot be written (store::kReadOnlyError).
bool setSignOffs(store::Connection& db, const std::vector<compare::SignOff>& wanted, const std::string& who,
                 const Clock& now = localNow);

}  // namespace vesk::review
