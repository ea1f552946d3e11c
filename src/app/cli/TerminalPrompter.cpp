#include "cli/TerminalPrompter.h"

#include <istream>
#include <ostream>
#include <string>

#include "core/Platform.h"
#include "core/Text.h"

namespace vesk::cli {

namespace {

// Message texts break lines with CR LF; a terminal wants LF alone.
std::string terminalText(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

const char* iconWord(Icon icon) {
    switch (icon) {
        case Icon::Critical:
            return "error";
        case Icon::Exclamation:
            return "warning";
        case Icon::Information:
            return "info";
        case Icon::Question:
            return "question";
        case Icon::None:
            break;
    }
    return "";
}

// One line, byte by byte into the secret (no string holds it); nullopt at the input's end.
std::optional<Secret> terminalLine(std::istream& in) {
    Secret line;
    bool any = false;
    for (std::istream::int_type c; (c = in.get()) != std::istream::traits_type::eof();) {
        any = true;
        if (c == '\n') break;
        line.push(static_cast<char>(c));
    }
    if (!any) return std::nullopt;
    if (!line.empty() && line.data()[line.size() - 1] == '\r') {
        Secret trimmed(line.data(), line.size() - 1);
        return trimmed;
    }
    return line;
}

}  // namespace

TerminalPrompter::TerminalPrompter(std::istream& in, std::ostream& err, bool interactive, bool progressLine)
    : m_in(in), m_err(err), m_interactive(interactive), m_progressLine(progressLine) {}

void TerminalPrompter::endProgressLine() {
    if (!m_progressShown) return;
    m_err << "\r\x1b[K";
    m_progressShown = false;
}

Answer TerminalPrompter::message(const Message& message) {
    endProgressLine();
    std::string word = iconWord(message.icon);
    m_err << "[" << message.shownTitle() << "]" << (word.empty() ? "" : " " + word + ":") << " "
          << terminalText(message.text) << "\n";
    if (message.buttons == Buttons::Ok) return Answer::Ok;

    const bool yesDefault = message.defaultAnswer == Answer::Yes;
    if (!m_interactive) {
        m_err << "(not a terminal: answered No)\n";
        return Answer::No;
    }
    for (;;) {
        m_err << (yesDefault ? "[Y/n] " : "[y/N] ") << std::flush;
        std::string line;
        if (!std::getline(m_in, line)) {
            m_err << "\n";
            return Answer::No;
        }
        std::string a = upper(trim(line));
        if (a.empty()) return yesDefault ? Answer::Yes : Answer::No;
        if (a == "Y" || a == "YES") return Answer::Yes;
        if (a == "N" || a == "NO") return Answer::No;
    }
}

std::optional<std::string> TerminalPrompter::openFile(const OpenFileRequest& request) {
    return noDialog(request.title);
}

std::optional<std::string> TerminalPrompter::saveFile(const SaveFileRequest& request) {
    return noDialog(request.title);
}

std::optional<std::string> TerminalPrompter::noDialog(const std::string& title) {
    endProgressLine();
    m_err << "(no file dialog on the terminal" << (title.empty() ? "" : " for: " + title)
          << "; give the file as an argument)\n";
    return std::nullopt;
}

void TerminalPrompter::progress(const std::string& text) {
    if (!m_progressLine) return;
    if (text.empty()) {
        endProgressLine();
        return;
    }
    m_err << "\r" << text << "\x1b[K" << std::flush;
    m_progressShown = true;
}

std::optional<Secret> TerminalPrompter::passphrase(const PassphraseRequest& request) {
    endProgressLine();
    if (request.kind == PassphraseRequest::Kind::Current && m_environment) return m_environment;
    if (!m_interactive) return terminalLine(m_in);
    m_err << request.prompt << ": " << std::flush;
    // From the terminal itself, its echo off: the system's own reading, which on Windows
    // is the only one that brings every script's letters.
    const std::optional<Secret> line = platform::readSecretLine();
    m_err << "\n";
    return line;
}

void TerminalPrompter::openDocument(const std::string& path) {
    endProgressLine();
    m_err << "Saved: " << path << "\n";
}

}  // namespace vesk::cli
