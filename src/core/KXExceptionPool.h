// The Windows module's C++ runtime throws from an emergency pool when the
// heap cannot hold an exception, but winpthreads makes the pool's lock from
// the heap on the pool's first use: with the heap exhausted, that first throw
// cannot lock, throws again and recurses until the stack overflows. So the
// module uses the pool once at load, while the heap has room.
#pragma once

void KXPrimeExceptionPool() noexcept;
