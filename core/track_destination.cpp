// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/track_destination.h"

std::vector<std::string> TrackFilesWritten;

namespace {
TrackDestination* chosen = nullptr;
}

TrackDestination* ChosenTrackDestination() { return chosen; }

ScopedTrackDestination::ScopedTrackDestination(TrackDestination* destination) : previous_(chosen)
{
    chosen = destination;
}

ScopedTrackDestination::~ScopedTrackDestination() { chosen = previous_; }
