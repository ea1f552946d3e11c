#pragma once

#include <gtest/gtest.h>

#include "core/Error.h"

namespace vesk::test {

// The Error a call throws; a test failure when it throws none.
template <class F>
Error errorOf(F&& f) {
    try {
        f();
    } catch (const Error& e) {
        return e;
    }
    ADD_FAILURE() << "no Error was thrown";
    return Error(0, "");
}

}  // namespace vesk::test
