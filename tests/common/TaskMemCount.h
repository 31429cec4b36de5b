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
    struct Spy;
    Spy* spy = nullptr;  // Windows: the registered malloc spy
    long base = 0;       // elsewhere: the platform's count when made
};
