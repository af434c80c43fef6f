// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs that hold several tracks (MapSource in track mode, the Holux image,
// GPX) load one track at a time into the store's one track and hand each over
// once it is whole. What takes them is chosen by the conversion for its
// output: a native track file per track, one Holux image, or one GPX file.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class TrackDestination {
public:
    virtual ~TrackDestination() = default;
    // The store holds track `number` of the input, whole. Numbers count from
    // 1 in input order and may skip (the Holux image numbers its slots).
    virtual void TakeStoreTrack(int number) = 0;
};

// The destination chosen for the conversion running; none outside one, or
// when the conversion chose none.
TrackDestination* ChosenTrackDestination();

// Chooses a destination (none: nullptr) for the life of this object.
class ScopedTrackDestination {
public:
    explicit ScopedTrackDestination(TrackDestination* destination);
    ~ScopedTrackDestination();
    ScopedTrackDestination(const ScopedTrackDestination&) = delete;
    ScopedTrackDestination& operator=(const ScopedTrackDestination&) = delete;

private:
    TrackDestination* previous_;
};

// The native track files written one per track during this conversion: how
// many, and the names of the first ones in order. It stays small whatever
// the number of files.
class WrittenFiles {
public:
    static constexpr std::size_t kNamesKept = 16;
    void Add(const std::string& name);
    void clear();
    std::size_t size() const { return count_; }
    const std::vector<std::string>& FirstNames() const { return firstNames_; }

private:
    std::size_t count_ = 0;
    std::vector<std::string> firstNames_;
};
extern WrittenFiles TrackFilesWritten;

// A conversion writes at most this many native track files: past it, the
// input is refused (nothing is written), not poured into a folder.
inline constexpr std::size_t kMaxTrackFiles = 1000;
