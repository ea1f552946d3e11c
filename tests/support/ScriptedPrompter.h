#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Prompter.h"

namespace vesk::test {

/// A prompter that answers from queues and records everything it is shown.
/// Each test must use up what it queued: the destructor fails the test otherwise.
class ScriptedPrompter : public Prompter {
  public:
    ~ScriptedPrompter() override;

    void queueAnswer(Answer a) { m_answers.push_back(a); }
    void queueFile(std::optional<std::string> path) { m_files.push_back(std::move(path)); }
    /// What the next passphrase dialog returns; nullopt: cancelled.
    void queuePassphrase(std::optional<std::string> typed) { m_passphrases.push_back(std::move(typed)); }
    /// Answers every question asked beyond the queue with `a` instead of failing the test,
    /// for runs whose number of questions depends on the file (a damaged one stops early).
    void answerEveryQuestion(Answer a) { m_always = a; }

    /// Runs as each message is shown, to look at the window behind it.
    std::function<void(const Message&)> onMessage;

    Answer message(const Message& message) override;
    std::optional<std::string> openFile(const OpenFileRequest& request) override;
    /// Answered from the same queue as openFile.
    std::optional<std::string> saveFile(const SaveFileRequest& request) override;
    void progress(const std::string& text) override { m_progress.push_back(text); }
    void openDocument(const std::string& path) override { m_opened.push_back(path); }
    std::optional<Secret> passphrase(const PassphraseRequest& request) override;

    const std::vector<Message>& messages() const { return m_messages; }
    const std::vector<OpenFileRequest>& fileRequests() const { return m_fileRequests; }
    const std::vector<SaveFileRequest>& saveRequests() const { return m_saveRequests; }
    const std::vector<std::string>& progressTexts() const { return m_progress; }
    const std::vector<std::string>& openedDocuments() const { return m_opened; }
    const std::vector<PassphraseRequest>& passphraseRequests() const { return m_passphraseRequests; }
    const Message& lastMessage() const;

  private:
    std::optional<std::string> nextFile(const char* dialog, const std::string& title);

    std::deque<Answer> m_answers;
    std::optional<Answer> m_always;
    std::deque<std::optional<std::string>> m_files;
    std::vector<Message> m_messages;
    std::vector<OpenFileRequest> m_fileRequests;
    std::vector<SaveFileRequest> m_saveRequests;
    std::vector<std::string> m_progress;
    std::vector<std::string> m_opened;
    std::deque<std::optional<std::string>> m_passphrases;
    std::vector<PassphraseRequest> m_passphraseRequests;
};

}  // namespace vesk::test
