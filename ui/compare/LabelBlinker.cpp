#include "compare/LabelBlinker.h"

#include <algorithm>
#include <thread>

namespace vesk::compare {

LabelBlinker::LabelBlinker()
    : m_clock([] { return std::chrono::steady_clock::now(); }),
      m_wait([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }) {}

bool LabelBlinker::requestClose() {
    if (!m_isBlinking) return false;
    m_stopBlink = true;
    m_closeRequested = true;
    return true;
}

void LabelBlinker::formChanged() {
    ++m_generation;
    m_isBlinking = false;
    m_stopBlink = false;
    m_closeRequested = false;
}

LabelBlinker::Outcome LabelBlinker::blink(LabelView& label, const std::function<void()>& show) {
    using std::chrono::duration_cast;
    using std::chrono::milliseconds;
    const unsigned generation = m_generation;
    auto sameForm = [&] { return generation == m_generation; };

    m_isBlinking = true;
    m_stopBlink = false;
    const int pointSize = label.pointSize;
    const Rgb colour = label.colour;
    const auto end = m_clock() + m_duration;
    bool marked = false;
    while (m_clock() < end && !m_stopBlink && sameForm()) {
        const auto stepStart = m_clock();
        label.pointSize = marked ? pointSize + 2 : pointSize;
        label.colour = marked ? palette::kMarkedText : colour;
        label.bold = marked;
        if (show) show();
        marked = !marked;
        const auto stepEnd = stepStart + kStep;
        for (auto now = m_clock(); now < stepEnd && !m_stopBlink && sameForm(); now = m_clock())
            m_wait(std::max(milliseconds(1), duration_cast<milliseconds>(stepEnd - now)));
    }
    if (!sameForm()) return Outcome::FormUnloaded;
    m_isBlinking = false;
    if (m_closeRequested) return Outcome::CloseRequested;
    label.pointSize = pointSize;
    label.colour = colour;
    label.bold = false;
    label.visible = false;
    return Outcome::Finished;
}

}  // namespace vesk::compare
