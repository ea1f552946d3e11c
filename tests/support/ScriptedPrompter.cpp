#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

namespace vesk::test {

ScriptedPrompter::~ScriptedPrompter() {
    EXPECT_TRUE(m_answers.empty()) << m_answers.size() << " queued answer(s) never asked for";
    EXPECT_TRUE(m_files.empty()) << m_files.size() << " queued file choice(s) never asked for";
    EXPECT_TRUE(m_passphrases.empty()) << m_passphrases.size() << " queued passphrase(s) never asked for";
}

Answer ScriptedPrompter::message(const Message& message) {
    m_messages.push_back(message);
    if (onMessage) onMessage(message);
    if (message.buttons == Buttons::Ok) return Answer::Ok;
    if (m_answers.empty() && m_always) return *m_always;
    if (m_answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << message.text;
        return message.defaultAnswer;
    }
    Answer a = m_answers.front();
    m_answers.pop_front();
    return a;
}

std::optional<std::string> ScriptedPrompter::openFile(const OpenFileRequest& request) {
    m_fileRequests.push_back(request);
    return nextFile("file dialog", request.title);
}

std::optional<std::string> ScriptedPrompter::saveFile(const SaveFileRequest& request) {
    m_saveRequests.push_back(request);
    return nextFile("save dialog", request.title);
}

std::optional<std::string> ScriptedPrompter::nextFile(const char* dialog, const std::string& title) {
    if (m_files.empty()) {
        ADD_FAILURE() << "unexpected " << dialog << ": " << title;
        return std::nullopt;
    }
    auto f = m_files.front();
    m_files.pop_front();
    return f;
}

std::optional<Secret> ScriptedPrompter::passphrase(const PassphraseRequest& request) {
    m_passphraseRequests.push_back(request);
    if (m_passphrases.empty()) {
        ADD_FAILURE() << "unexpected passphrase dialog: " << request.prompt;
        return std::nullopt;
    }
    const std::optional<std::string> typed = m_passphrases.front();
    m_passphrases.pop_front();
    if (!typed) return std::nullopt;
    return Secret(*typed);
}

const Message& ScriptedPrompter::lastMessage() const {
    static const Message kNone{};
    if (m_messages.empty()) {
        ADD_FAILURE() << "no message was shown";
        return kNone;
    }
    return m_messages.back();
}

}  // namespace vesk::test
