#pragma once

#include <chrono>
#include <functional>

#include "compare/CompareView.h"

namespace vesk::compare {

/// The status label's two-second blink and the flags through which Back and the close box
/// end it early. The form runs its events while the blink waits, so those handlers run
/// nested inside it; the flags are all they share.
class LabelBlinker {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    /// Lets the window run its events for at most the given time; may return sooner.
    using Wait = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds kDuration{2000};
    static constexpr std::chrono::milliseconds kStep{200};

    enum class Outcome {
        Finished,        ///< restored and hidden; the caller finishes the label later
        CloseRequested,  ///< Back asked to close: the label keeps its last look
        FormUnloaded,    ///< the form went away meanwhile: nothing of it may be touched
    };

    LabelBlinker();

    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setWait(Wait wait) { m_wait = std::move(wait); }
    void setDuration(std::chrono::milliseconds duration) { m_duration = duration; }

    bool isBlinking() const { return m_isBlinking; }
    /// Back asked to close during the blink: the form unloads once the blink has returned.
    bool closeRequested() const { return m_closeRequested; }

    /// Back pressed: during a blink, stop it and close once it has returned (true);
    /// otherwise nothing (false), and the form closes at once.
    bool requestClose();
    /// The form is about to unload: a running blink ends at its next check.
    void stop() { m_stopBlink = true; }
    /// The form loaded or unloaded: every flag starts afresh, and a blink still running
    /// from before leaves the form alone.
    void formChanged();

    /// Alternates the label's plain and marked looks every step, drawing each through
    /// show, until the duration has passed or a stop is asked.
    Outcome blink(LabelView& label, const std::function<void()>& show);

  private:
    Clock m_clock;
    Wait m_wait;
    std::chrono::milliseconds m_duration = kDuration;
    bool m_isBlinking = false;
    bool m_stopBlink = false;
    bool m_closeRequested = false;
    unsigned m_generation = 0;
};

}  // namespace vesk::compare
