// SPDX-License-Identifier: GPL-3.0-or-later
// What a format is to the Convert action: one row per format, holding its
// captions, kind, extensions, signature test, reader or writer. The rows
// themselves live with the formats, one level above the core, which knows
// formats only through them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/convert/output_holds.h"
#include "core/document/document.h"
#include "core/document/findings.h"
#include "core/io/input_source.h"
#include "core/io/read_context.h"
#include "core/text/code_page.h"
#include "core/time/clock.h"

class FileLook;
class OutputTransaction;

// What a conversion takes of what an input holds: the waypoints and routes,
// the tracks, or, for an output that holds everything, all of it.
enum class ReadMode { Waypoints, Tracks, Everything };

struct ReadOptions {
    ReadMode mode = ReadMode::Everything;
    // The most points of one track, and the most waypoints, the output holds
    // (0: no limit). A reader may stop reading a list one point past them,
    // and a file of one list there, since the writer cuts there and says so:
    // a file far larger than the output takes is then not read to its end.
    std::int64_t trackPointsKept = 0;
    std::int64_t waypointsKept = 0;
    // Speeds, courses and geoid heights, which only GPX writes: a log reader
    // may leave them unread for an output that holds none.
    bool receiverFigures = true;
    // A point's extension elements kept as XML, which only GPX writes: a
    // reader may leave them out for an output that holds none, marking the
    // point (Point::extensionsLeftOut).
    bool keptExtensions = true;
    // The code page of the 8-bit texts: a name iconv knows, or "auto".
    std::string codePage{kAutomaticCodePage};
    // What the front end running the read gives it: the lists the reader
    // fills share it (NewReadResult). None: unwatched, no spill fallback.
    std::shared_ptr<const ReadContext> context{};
};

// How the texts of an input were read.
struct TextsRead {
    // The reader read them as Unicode (a MapSource file of version 3): no code page applies.
    bool unicode = false;
    // The code page an 8-bit format's texts were read in; none for the others.
    std::optional<CodePageGuess> codePage{};
};

struct ReadResult {
    Document document;
    Findings findings;
    // Tracks of the input that a read for waypoints passed over, and
    // waypoints and routes that a read for tracks did.
    std::int64_t tracksLeftOut = 0;
    std::int64_t waypointsLeftOut = 0;
    std::int64_t routesLeftOut = 0;
    TextsRead texts{};
};

// The empty result a reader fills: its document's lists are of the read's
// context, and so is every list the reader makes from that document
// (Document::NewTrack, NewRoute, NewList).
inline ReadResult NewReadResult(const ReadOptions& options)
{
    ReadResult result;
    result.document.waypoints = PointList(options.context);
    return result;
}

// Raised by a reader that refuses its input (not of its format, of a version
// it cannot read): nothing of the conversion is written, and the message is
// shown to the user.
class InputRefused : public std::runtime_error {
public:
    explicit InputRefused(const std::string& message, std::string paneLine = {})
        : std::runtime_error(message), paneLine_(std::move(paneLine))
    {}
    // A line the progress pane shows after the message ("Not a Mapsource File").
    const std::string& PaneLine() const { return paneLine_; }

private:
    std::string paneLine_;
};

struct WrittenCounts {
    std::int64_t waypoints = 0;
    std::int64_t routes = 0;
    std::int64_t trackPoints = 0;
    std::int64_t trackFiles = 0;  // native track files; a track image is not one
    std::int64_t tracks = 0;      // tracks of a document that holds everything
    friend bool operator==(const WrittenCounts&, const WrittenCounts&) = default;
};

// One write of a document, as the writers see it.
struct WriteRequest {
    std::string outputName;  // as typed
    // What the files written go into (SafeFileWriter): each is put in place
    // when the conversion commits. None: each file is put in place at once.
    OutputTransaction* transaction = nullptr;
    // The time of the conversion, for outputs that note when they were made.
    Clock clock{};
    // The output name is the file to write, whatever the format's extension
    // (the command's -O NAME), and no file may be made beside it that the
    // user did not ask for.
    bool exactNames = false;
    // Tracks go into numbered native track files (BASE_1.plt ...) even when
    // there is one: an input of several tracks was read.
    bool numberTrackFiles = false;
    // Texts as they are, even those a spreadsheet would take for a formula (CSV).
    bool rawTexts = false;
    // The files chosen together, for the progress pane of a writer that lists them.
    std::vector<std::string> inputNames;
    // Adds a line to the progress pane.
    std::function<void(const std::string&)> addLine = [](const std::string&) {};
};

struct WriteResult {
    WrittenCounts counts;
    Findings findings;
};

// What a format holds: waypoints and routes, or tracks; an output may hold
// everything, which takes all an input of either kind holds.
enum class FormatKind { Waypoints, Tracks, Everything };

// The texts both tables show of a format; a format read and written has the
// same texts in both.
struct FormatTexts {
    const char* name;     // for the command line; never changes once released
    const char* caption;  // shown in the drop-down list
    FormatKind kind;
    const char* extensions;   // without dots, "a;b"; empty when the format has none
    const char* description;  // of the file-dialog filter
    const char* pattern;      // of the file-dialog filter
};

// What a format's files look like inside, for a file whose content names
// no format: the formats it may be are those of its look.
enum class FileLooks { Text, Xml, Binary };

struct InputFormatRow {
    int position;
    FormatTexts texts;
    // True when the file's content marks it as this format; nullptr when the
    // format has no dependable signature.
    bool (*recognise)(const FileLook& file);
    const char* loading;  // the first progress line
    ReadResult (*read)(const InputSource& source, const ReadOptions& options);
    // The format holds several tracks, which go into numbered native track
    // files even when there is one.
    bool severalTracks = false;
    // The format's texts are Unicode, or it holds none: no code page applies.
    bool unicodeTexts = false;
    FileLooks looks = FileLooks::Text;
};

struct OutputFormatRow {
    int position;
    FormatTexts texts;
    const char* writing;  // the progress line before the file name
    // The name shown below the writing line.
    std::string (*file)(const WriteRequest& request);
    WriteResult (*write)(const Document& document, const WriteRequest& request);
    const char* extension;  // of the file the writer makes, with its dot
    // Files the writer makes besides the output, by extension (nullptr: none).
    const char* besideExtension = nullptr;
    // The writer makes a file per track (numbered BASE_N.EXT when there are several).
    bool filePerTrack = false;
    // How many of the files chosen together the pane lists (0: all).
    int chosenFilesListed = 0;
    // What the format holds, passed to the readers as ReadOptions (0: no limit).
    std::int64_t trackPointCapacity = 0;
    std::int64_t waypointCapacity = 0;
    // The format writes speeds, courses and geoid heights (ReadOptions).
    bool writesReceiverFigures = false;
    // The format writes the extension elements of points as read (ReadOptions).
    bool writesKeptExtensions = false;
    // Points a route of the format holds (0: no limit), for the shaping steps' fit.
    std::int64_t routePointCapacity = 0;
    // The format needs a date for every time: times of day without one are
    // written on the day of conversion (otherwise they are left out).
    bool datesUndatedToday = false;
    // The format's texts are 8-bit, in a code page.
    bool eightBitTexts = false;
    // What the format holds of each kind of data: what it does not is told
    // once per kind (core/convert/loss_survey.h).
    OutputHolds holds{};
};

struct FormatRows {
    std::span<const InputFormatRow> inputs;
    std::span<const OutputFormatRow> outputs;
};
