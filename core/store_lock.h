// SPDX-License-Identifier: GPL-3.0-or-later
// The store is one process-wide set of tables: whoever reads into it (a
// conversion, the window's view reading in the background) holds this lock
// for as long as it uses the store, so that only one reader runs at a time.
#pragma once

#include <mutex>

std::mutex& StoreMutex();
