// The one place where exceptions stop. Clients call the slots from code that
// another compiler built, whose runtime cannot catch what ours throws (in
// practice std::bad_alloc): it would end their process. So every slot's body,
// and the export, runs inside this guard.
#pragma once

#include <exception>

// Runs `body`; when anything is thrown, answers what `onThrow` makes of it.
// Whatever the body held is released by the unwinding before `onThrow` runs.
template <class Body, class OnThrow>
auto KXBoundaryGuard(Body&& body, OnThrow&& onThrow) noexcept -> decltype(body())
{
    // MinGW's runtime makes a thread's exception state on the thread's first
    // throw and crashes when it cannot: asking for it here makes it before
    // the body runs, while memory is still likely to be there. The answer
    // goes to a volatile, or the call, declared pure, would be dropped.
    const volatile int primed = std::uncaught_exceptions();
    static_cast<void>(primed);
    try {
        return body();
    } catch (...) {
        return onThrow();
    }
}
