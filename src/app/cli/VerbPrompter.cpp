#include "cli/VerbPrompter.h"

namespace vesk::cli {

Answer VerbPrompter::message(const Message& message) {
    if (message.buttons != Buttons::YesNo || !m_assumeYes) return m_inner.message(message);
    // Shown as information, so the person reading the log sees what was agreed to.
    Message shown = message;
    shown.buttons = Buttons::Ok;
    shown.text += " [Yes]";
    m_inner.message(shown);
    return Answer::Yes;
}

}  // namespace vesk::cli
