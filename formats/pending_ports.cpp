// SPDX-License-Identifier: GPL-3.0-or-later
// Readers and writers of the document not written yet: each is removed from
// here as its format takes the document.
#include <stdexcept>
#include <string>

#include "formats/native/Kes.h"

namespace {
[[noreturn]] void Pending(const char* what) { throw std::logic_error(std::string(what) + " takes no document yet"); }
}  // namespace

// Old entry points of the native files that the readers not moved yet still
// name; nothing calls them any more, and they go with those readers.
void WriteWaypointFile(const std::string&) { Pending("WriteWaypointFile of the store"); }
void HandOverTrack(const std::string&, int) { Pending("HandOverTrack of the store"); }
