#pragma once

#include <iosfwd>

#include "core/Prompter.h"

namespace vesk::cli {

/// The person at a terminal. Messages go to the error stream under their title; Yes/No
/// questions are asked only when the input is a terminal and are otherwise answered No,
/// so that a script never hangs. Progress is one rewritten line, shown only on a terminal.
/// A passphrase is read from the terminal itself without echo (interactive: the input is the
/// terminal); from any other input as one line (no line at all: none); the current passphrase
/// of a file from the environment when it holds one.
class TerminalPrompter : public Prompter {
  public:
    TerminalPrompter(std::istream& in, std::ostream& err, bool interactive, bool progressLine);

    Answer message(const Message& message) override;
    /// No file dialog on a terminal: always nullopt, as if cancelled.
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    /// Nor a save dialog: always nullopt.
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string& text) override;
    void openDocument(const std::string& path) override;
    std::optional<Secret> passphrase(const PassphraseRequest& request) override;

    /// What answers every request for a file's current passphrase (VESK_ORV_PASSPHRASE).
    void setEnvironmentPassphrase(std::optional<Secret> passphrase) { m_environment = std::move(passphrase); }

  private:
    void endProgressLine();
    std::optional<std::string> noDialog(const std::string& title);

    std::istream& m_in;
    std::ostream& m_err;
    bool m_interactive;
    bool m_progressLine;
    bool m_progressShown = false;
    std::optional<Secret> m_environment;
};

}  // namespace vesk::cli
