// SPDX-License-Identifier: GPL-3.0-or-later
// Work the window hands to a thread of its own (a conversion, a read for the
// view) runs below the window's priority: on a machine whose cores are all
// busy, the window still answers at once.
#pragma once

#include <sys/resource.h>
#include <unistd.h>

// The window's libraries may leave the upper halves of the AVX registers in
// use, which a thread started from the window inherits; until they are
// cleared, every SSE instruction pays for a change of state (a simplification
// measured twenty times slower).
inline void ClearUpperVectorHalves()
{
#if defined(__x86_64__)
    if (__builtin_cpu_supports("avx")) asm volatile("vzeroupper");
#endif
}

inline void LowerThisThreadsPriority()
{
    // Linux gives each thread a nice value of its own; failing leaves it as it was.
    constexpr int kBelowTheWindow = 10;
    (void)setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kBelowTheWindow);
}
