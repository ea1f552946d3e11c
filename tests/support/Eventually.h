#pragma once

#include <QTest>
#include <functional>

namespace vesk::test {

/// Runs the event loop until the condition holds or the time is up; whether it held.
inline bool eventually(const std::function<bool()>& condition, int ms = 2000) {
    for (int waited = 0; !condition() && waited < ms; waited += 10) QTest::qWait(10);
    return condition();
}

}  // namespace vesk::test
