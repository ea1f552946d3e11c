#pragma once

#include <optional>
#include <string>

#include "core/Secret.h"

namespace vesk {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

/// The title a message box shows when it is given none of its own: the program's name.
inline constexpr const char* kDefaultTitle = "VESK - ORV Comparison Tool";

/// Line break inside a message.
inline constexpr const char* kCrLf = "\r\n";

struct Message {
    std::string text;
    std::string title;  ///< empty: kDefaultTitle
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer defaultAnswer = Answer::Ok;  ///< for Yes/No: the answer of Enter

    std::string shownTitle() const { return title.empty() ? kDefaultTitle : title; }
};

/// The usual message boxes: OK with an icon, or a Yes/No question.
inline Message info(std::string text, std::string title = {}) {
    return {std::move(text), std::move(title), Icon::Information, Buttons::Ok, Answer::Ok};
}
inline Message exclamation(std::string text, std::string title = {}) {
    return {std::move(text), std::move(title), Icon::Exclamation, Buttons::Ok, Answer::Ok};
}
inline Message critical(std::string text, std::string title = {}) {
    return {std::move(text), std::move(title), Icon::Critical, Buttons::Ok, Answer::Ok};
}
inline Message question(std::string text, std::string title, Icon icon, Answer defaultAnswer = Answer::Yes) {
    return {std::move(text), std::move(title), icon, Buttons::YesNo, defaultAnswer};
}

struct OpenFileRequest {
    std::string title;   ///< empty: the dialog's own title
    std::string filter;  ///< "Label|*.a;*.b|Label|*.*"
    std::string folder;  ///< where the dialog opens; empty: the person's home folder
};

struct SaveFileRequest {
    std::string title;   ///< empty: the dialog's own title
    std::string filter;  ///< "Label|*.a;*.b|Label|*.*"
    std::string folder;  ///< where the dialog opens; empty: the person's home folder
    std::string name;    ///< the file name offered
};

/// What a passphrase is asked for.
struct PassphraseRequest {
    enum class Kind {
        Current,  ///< the one a file is protected by
        New,      ///< a new one, for the first time
        Again,    ///< the new one once more, to catch a slip of the keys
    };
    Kind kind = Kind::Current;
    std::string path;    ///< the file it is for
    std::string prompt;  ///< what the person is told: which passphrase, of which file
};

/// Everything the core needs of the person in front of it. The window, the
/// terminal and the tests each implement it.
class Prompter {
  public:
    virtual ~Prompter() = default;

    /// Shows a message and returns the button pressed (Ok for an Ok box).
    virtual Answer message(const Message& message) = 0;

    /// Asks for a file to open; nullopt when the person cancels.
    virtual std::optional<std::string> openFile(const OpenFileRequest& request) = 0;

    /// Asks where to save a file; nullopt when the person cancels. Choosing a file that
    /// exists is confirmed in the dialog itself.
    virtual std::optional<std::string> saveFile(const SaveFileRequest& request) = 0;

    /// Shows a progress text and lets the interface redraw (an empty text clears it).
    virtual void progress(const std::string& text) = 0;

    /// Hands a finished file to the person (the desktop opens it with its program).
    virtual void openDocument(const std::string& path) = 0;

    /// Asks for a passphrase, never showing what is typed; nullopt when the person cancels or
    /// there is no one to ask (the default).
    virtual std::optional<Secret> passphrase(const PassphraseRequest& request) {
        (void)request;
        return std::nullopt;
    }
};

}  // namespace vesk
