#pragma once

#include <optional>
#include <string>

#include "core/Prompter.h"

namespace vesk::cli {

/// The person as a verb's command line stands in for them: with --yes every confirmation
/// is answered Yes (and shown).
class VerbPrompter : public Prompter {
  public:
    VerbPrompter(Prompter& inner, bool assumeYes) : m_inner(inner), m_assumeYes(assumeYes) {}

    Answer message(const Message& message) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override { return m_inner.openFile(request); }
    std::optional<std::string> saveFile(const SaveFileRequest& request) override { return m_inner.saveFile(request); }
    void progress(const std::string& text) override { m_inner.progress(text); }
    void openDocument(const std::string& path) override { m_inner.openDocument(path); }
    std::optional<Secret> passphrase(const PassphraseRequest& request) override { return m_inner.passphrase(request); }

  private:
    Prompter& m_inner;
    bool m_assumeYes;
};

}  // namespace vesk::cli
