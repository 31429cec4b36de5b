// The portable platform counts its blocks itself.
#include "common/TaskMemCount.h"

TaskMemCount::TaskMemCount() : base(KXLiveTaskMemBlocks()) {}

TaskMemCount::~TaskMemCount() = default;

long TaskMemCount::Live() const
{
    return KXLiveTaskMemBlocks() - base;
}
