// The CoTaskMem blocks allocated and not yet freed since the counter was made,
// wherever in the process they come from.
#pragma once

#include "kxplatform.h"

class TaskMemCount {
public:
    TaskMemCount();
    ~TaskMemCount();
    TaskMemCount(const TaskMemCount&) = delete;
    TaskMemCount& operator=(const TaskMemCount&) = delete;

    long Live() const;

private:
#ifdef _WIN32
    struct Spy;
    Spy* spy = nullptr;  // the registered malloc spy
#else
    long base = 0;       // the platform's count when made
#endif
};
