// SPDX-License-Identifier: GPL-3.0-or-later
// What a format is to the Convert action: one row per format, holding its
// captions, kind, extensions, signature test, reader or writer and where its
// tracks go. The rows themselves live with the formats, one level above the
// core, which knows formats only through them.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/store.h"
#include "core/track_destination.h"

class FileLook;

// What a reader is asked for: the waypoints and routes, the tracks, or, for
// an output that holds everything, all the input holds.
enum class ReadMode { Waypoints, Tracks, Everything };

// One conversion as the Convert action runs it, for the rows' readers and writers.
struct Conversion {
    std::string inputName;
    std::string outputName;
    std::vector<std::string> inputList;  // the files chosen together; the input name alone otherwise
    int inputPosition = -1;
    int outputPosition = -1;
    ReadMode mode = ReadMode::Waypoints;
    bool exactNames = false;  // FrontEnd::ExactOutputNames
    // What takes the tracks a reader of several hands over, for a track output.
    TrackDestination* tracks = nullptr;
};

// The texts both tables show of a format; a format read and written has the
// same texts in both.
struct FormatTexts {
    const char* name;     // for the command line; never changes once released
    const char* caption;  // shown in the drop-down list
    // "wp" (waypoints and routes) or "trk" (tracks); an output may be "all",
    // which takes everything an input of either kind holds.
    const char* kind;
    const char* extensions;   // without dots, "a;b"; empty when the format has none
    const char* description;  // of the file-dialog filter
    const char* pattern;      // of the file-dialog filter
};

struct InputFormatRow {
    int position;
    FormatTexts texts;
    // True when the file's content marks it as this format; nullptr when the
    // format has no dependable signature.
    bool (*recognise)(const FileLook& file);
    const char* loading;  // the first progress line
    void (*read)(const Conversion& c);
    StoreTimes times = StoreTimes::Utc;
    // Hands each track over as it goes (to Conversion::tracks) rather than
    // leaving one track in the store.
    bool handsOverTracks = false;
    // The reader honours ReadMode::Everything: it stores the waypoints and
    // routes and hands every track over.
    bool readsEverything = false;
    // Several files of this format chosen together can go into one output
    // that holds several tracks (OutputFormatRow::writeChosenFiles).
    bool chosenTogether = false;
    // Files the reader writes itself besides the output (nullptr: none).
    void (*ownOutputs)(const Conversion& c, std::vector<std::string>& files) = nullptr;
};

struct OutputFormatRow {
    int position;
    FormatTexts texts;
    const char* writing;  // the progress line before the file name
    // The name shown below the writing line and given to the writer.
    std::string (*file)(const Conversion& c);
    void (*write)(const Conversion& c, const std::string& file);
    const char* extension;  // of the file the writer makes, with its dot
    // What takes the tracks of an input of several (nullptr: the writer
    // takes the one track left in the store).
    std::unique_ptr<TrackDestination> (*tracks)(const Conversion& c) = nullptr;
    // Writes the files of Conversion::inputList, read one after the other,
    // for an input row that is chosenTogether (nullptr: one input only).
    void (*writeChosenFiles)(const Conversion& c, const std::string& file) = nullptr;
    // How many of the files chosen together the pane lists (0: all).
    int chosenFilesListed = 0;
    // The destination writes each track as it is handed over, so nothing is
    // left for the writing step.
    bool writesTracksAsHandedOver = false;
    // Files the writer makes besides the output, by extension (nullptr: none).
    const char* besideExtension = nullptr;
    // A point without a time of its own is written without one, rather than
    // with the time of conversion (StampTimeOfReading).
    bool leavesTimesOut = false;
};

struct FormatRows {
    std::span<const InputFormatRow> inputs;
    std::span<const OutputFormatRow> outputs;
};
