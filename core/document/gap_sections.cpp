// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/gap_sections.h"

bool BeyondSectionGap(UtcTime a, UtcTime b)
{
    const std::int64_t seconds = b.seconds - a.seconds;
    if (seconds > kSectionGapSeconds + 1 || seconds < -kSectionGapSeconds - 1) return true;
    const std::int64_t nanoseconds = seconds * 1000000000 + (b.nanoseconds - a.nanoseconds);
    return nanoseconds > kSectionGapSeconds * 1000000000 || nanoseconds < -kSectionGapSeconds * 1000000000;
}
