#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "cli/Arguments.h"
#include "cli/Cli.h"
#include "cli/Verb.h"
#include "cli/VerbPrompter.h"
#include "store/Connection.h"
#include "store/Transaction.h"

namespace vesk::cli {

/// One run of a verb: its parsed command line and what it works with (the streams, the person,
/// the database its entry reaches).
class Call : public Arguments {
  public:
    Call(Context& context, const Verb& verb, Arguments arguments);
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;

    std::ostream& out() const { return m_context.out; }
    std::ostream& err() const { return m_context.err; }
    /// The person; with --yes every confirmation is answered Yes (and shown).
    Prompter& prompter() { return m_prompter; }
    /// The --db option as given, if it was.
    const std::optional<std::string>& databaseOption() const { return m_context.databaseOption; }
    /// The file the verbs work on (Context::databasePath).
    std::string databasePath() const { return m_context.databasePath(); }

    /// The database, opened on the first call as the verb's entry says (Database::Open or
    /// Database::Snapshot) and closed when the call ends. A verb validates its arguments first,
    /// so that wrong use neither opens nor creates the file.
    store::Connection& database();
    /// The database opened now, lent to a flow (the forms' flows open theirs when first needed).
    store::Opener openedDatabase();

  private:
    Context& m_context;
    const Verb& m_verb;
    VerbPrompter m_prompter;
    store::Connection m_db;
    std::optional<store::Transaction> m_snapshot;
};

}  // namespace vesk::cli
