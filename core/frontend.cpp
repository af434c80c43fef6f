// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frontend.h"

namespace {
SilentFrontEnd silent;
FrontEnd* active = &silent;
}  // namespace

FrontEnd& Front() { return *active; }

ScopedFrontEnd::ScopedFrontEnd(FrontEnd& frontEnd) : previous_(active) { active = &frontEnd; }

ScopedFrontEnd::~ScopedFrontEnd() { active = previous_; }
