// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/track_destination.h"

WrittenFiles TrackFilesWritten;

void WrittenFiles::Add(const std::string& name)
{
    ++count_;
    if (firstNames_.size() < kNamesKept) firstNames_.push_back(name);
}

void WrittenFiles::clear()
{
    count_ = 0;
    firstNames_.clear();
}

namespace {
TrackDestination* chosen = nullptr;
}

TrackDestination* ChosenTrackDestination() { return chosen; }

ScopedTrackDestination::ScopedTrackDestination(TrackDestination* destination) : previous_(chosen)
{
    chosen = destination;
}

ScopedTrackDestination::~ScopedTrackDestination() { chosen = previous_; }
