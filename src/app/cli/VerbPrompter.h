#pragma once

#include <optional>
#include <string>

#include "core/Prompter.h"

namespace vesk::cli {

/// The person as a verb's command line stands in for them: the file named on the line
/// is the file chosen, and with --yes every confirmation is answered Yes (and shown).
class VerbPrompter : public Prompter {
public:
    VerbPrompter(Prompter& inner, std::optional<std::string> file, bool assumeYes)
        : m_inner(inner), m_file(std::move(file)), m_assumeYes(assumeYes) {}

    Answer message(const Message& message) override;
    std::optional<std::string> openFile(const OpenFileRequest&) override { return m_file; }
    void progress(const std::string& text) override { m_inner.progress(text); }
    void openDocument(const std::string& path) override { m_inner.openDocument(path); }

private:
    Prompter& m_inner;
    std::optional<std::string> m_file;
    bool m_assumeYes;
};

}  // namespace vesk::cli
