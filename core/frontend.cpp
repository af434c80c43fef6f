// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/frontend.h"

namespace {
SilentFrontEnd silent;
// Per thread: the window reads a file for its view on a thread of its own.
thread_local FrontEnd* active = &silent;
}  // namespace

FrontEnd& Front() { return *active; }

ScopedFrontEnd::ScopedFrontEnd(FrontEnd& frontEnd) : previous_(active) { active = &frontEnd; }

ScopedFrontEnd::~ScopedFrontEnd() { active = previous_; }
