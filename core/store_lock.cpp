// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/store_lock.h"

std::mutex& StoreMutex()
{
    static std::mutex held;
    return held;
}
