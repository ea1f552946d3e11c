#include "cli/Call.h"

#include <stdexcept>

namespace vesk::cli {

Call::Call(Context& context, const Verb& verb, Arguments arguments)
    : Arguments(std::move(arguments)), m_context(context), m_verb(verb), m_prompter(context.prompter, flag("yes")) {}

store::Connection& Call::database() {
    if (m_verb.database == Database::None) throw std::logic_error("the verb " + m_verb.name + " reads no database");
    if (!m_db.isOpen()) {
        m_db.open(databasePath());
        if (m_verb.database == Database::Snapshot) m_snapshot.emplace(m_db.beginRead());
    }
    return m_db;
}

store::Opener Call::openedDatabase() {
    database();
    return [this]() -> store::Connection& { return m_db; };
}

}  // namespace vesk::cli
