// SPDX-License-Identifier: GPL-3.0-or-later
// What a conversion's reads are given by the front end that runs them, never
// found: the watch that shows their progress and stops them, and the folder
// their point lists spill into when the temporary folder cannot be used. The
// lists a reader fills share it (PointList), so that a document kept after
// its read holds nothing that dangles.
#pragma once

#include <memory>
#include <string>

#include "core/io/read_watch.h"

struct ReadContext {
    // None: the read reports to no one and is never stopped.
    std::shared_ptr<ReadWatch> watch{};
    // The folder of the output being written (core/io/temporary_folder.h); empty for none.
    std::string spillFallback{};
};
