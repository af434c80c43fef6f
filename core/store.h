// SPDX-License-Identifier: GPL-3.0-or-later
// The point store: one process-wide set of fixed-capacity tables that every
// reader fills and every writer empties.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/point.h"
#include "core/reserved_pages.h"
#include "core/utc_time.h"

// A fixed-size table indexed First..Last. Every access is checked, so a reader
// that miscounts throws instead of writing outside the table.
//
// The entries live in blocks that are made when first used, and a reset is
// applied to a block when it is next used: start-up and a reset then cost what
// a conversion uses, not the table's capacity. What callers see is the same as
// if every entry had been reset at once, with one rule: a reference to an entry
// is not kept across a reset of its table.
template <typename T, int First, int Last>
class IndexedTable {
public:
    static constexpr int kFirst = First;
    static constexpr int kLast = Last;
    static constexpr int kSize = Last - First + 1;

    IndexedTable() = default;
    ~IndexedTable() { DestroyBlocks(); }
    IndexedTable(const IndexedTable& other) { CopyFrom(other); }
    IndexedTable& operator=(const IndexedTable& other)
    {
        if (this != &other) CopyFrom(other);
        return *this;
    }
    IndexedTable(IndexedTable&& other) noexcept { Swap(other); }
    IndexedTable& operator=(IndexedTable&& other) noexcept
    {
        Swap(other);
        return *this;
    }

    T& operator[](int index) { return Entry(Offset(index)); }
    const T& operator[](int index) const { return Entry(Offset(index)); }

    // Applies `reset` to every entry as it holds now: fields that the reset
    // leaves alone keep their values, and entries never used are zero-filled.
    // Successive resets of one table must set the same fields.
    void ResetAll(std::function<void(T&)> reset)
    {
        reset_ = std::move(reset);
        ++generation_;
    }

private:
    static constexpr int kBlockSize = 64;
    static constexpr int kBlocks = (kSize + kBlockSize - 1) / kBlockSize;
    struct Block {
        std::uint64_t generation = 0;
        std::array<T, kBlockSize> items{};
    };

    static std::size_t Offset(int index)
    {
        if (index < First || index > Last)
            throw std::out_of_range("table index " + std::to_string(index) + " outside " + std::to_string(First) +
                                    ".." + std::to_string(Last));
        return static_cast<std::size_t>(index - First);
    }

    T& Entry(std::size_t offset) const
    {
        Block* block = blocks_[offset / kBlockSize];
        if (!block || block->generation != generation_) block = Refresh(offset / kBlockSize);
        return block->items[offset % kBlockSize];
    }

    // The blocks stand in one reservation, each at its place, so that a long
    // track takes its memory in large pieces.
    Block* Place(std::size_t b) const
    {
        static_assert(alignof(Block) <= 4096);
        if (!pages_.Data()) pages_ = ReservedPages(sizeof(Block) * kBlocks);
        return static_cast<Block*>(pages_.Data()) + b;
    }

    Block* Refresh(std::size_t b) const
    {
        Block*& block = blocks_[b];
        if (!block) block = new (Place(b)) Block();
        // Every reset since the block was last used sets the same fields, so
        // the latest one alone gives the same entries as all of them in turn.
        if (reset_)
            for (T& item : block->items) reset_(item);
        block->generation = generation_;
        return block;
    }

    void DestroyBlocks()
    {
        for (Block*& block : blocks_)
            if (block) std::exchange(block, nullptr)->~Block();
    }

    void CopyFrom(const IndexedTable& other)
    {
        DestroyBlocks();
        for (std::size_t b = 0; b < blocks_.size(); ++b)
            if (other.blocks_[b]) blocks_[b] = new (Place(b)) Block(*other.blocks_[b]);
        generation_ = other.generation_;
        reset_ = other.reset_;
    }

    void Swap(IndexedTable& other) noexcept
    {
        std::swap(blocks_, other.blocks_);
        std::swap(pages_, other.pages_);
        std::swap(generation_, other.generation_);
        std::swap(reset_, other.reset_);
    }

    mutable std::array<Block*, kBlocks> blocks_{};
    mutable ReservedPages pages_;
    std::uint64_t generation_ = 0;
    std::function<void(T&)> reset_;
};

// What a point held in its input beyond the native columns, at the input's
// precision, for the outputs that keep everything (GPX and the like). The
// native fields beside it are what the native files take; readers fill both.
struct PointTexts {
    std::string name{};  // UTF-8, as read: blanks, commas, any length up to the reader's cap
    std::string comment{};
    std::string description{};
    std::string symbol{};  // as the input names it, or the usual name of its code
    std::string type{};
    std::string source{};
    std::string link{}, linkText{}, linkType{};
    bool Empty() const
    {
        return name.empty() && comment.empty() && description.empty() && symbol.empty() && type.empty() &&
               source.empty() && link.empty() && linkText.empty() && linkType.empty();
    }
};

// Measured values; NaN and the negative counts mean none.
struct PointValues {
    double metres = std::numeric_limits<double>::quiet_NaN();  // elevation as read
    std::optional<UtcTime> time;                               // none: the input gave no time
    float hdop = std::numeric_limits<float>::quiet_NaN();
    float vdop = std::numeric_limits<float>::quiet_NaN();
    float pdop = std::numeric_limits<float>::quiet_NaN();
    float celsius = std::numeric_limits<float>::quiet_NaN();  // temperature of the track point extension
    std::int16_t satellites = -1;
    std::int16_t heartRate = -1;  // beats per minute
    std::int16_t cadence = -1;    // per minute
    std::uint8_t fix = 0;         // see kFixNames; 0 none
};

// The texts of a point as the store keeps them: one string and where each
// text ends in it. The tables hold thousands of points whose texts are few
// and short, and nine strings would cost each point 288 bytes of fresh memory.
class PackedTexts {
public:
    PackedTexts() = default;
    PackedTexts(const PointTexts& texts) { *this = texts; }  // NOLINT: stands where a PointTexts did
    PackedTexts& operator=(const PointTexts& texts);
    operator PointTexts() const { return Unpacked(); }  // NOLINT
    PointTexts Unpacked() const;
    std::string_view Name() const { return Field(0); }
    bool Empty() const { return bytes_.empty(); }

private:
    static constexpr int kFields = 9;
    std::string_view Field(int index) const;
    std::string bytes_;
    std::array<std::uint32_t, kFields> ends_{};
};

struct PointDetail {
    bool known = false;  // false: a reader that keeps nothing more; the native fields say it all
    PackedTexts texts{};
    PointValues values{};
};

// The same for a route or a track as a whole.
struct GroupDetail {
    bool known = false;
    std::string name, comment, description, source, type;
    std::string link, linkText, linkType;
    std::int32_t number = -1;  // none when negative
};

struct WayPoints {
    std::int32_t Number = 0;
    std::string Name;
    std::int16_t Column7 = 0;
    std::int16_t Symbol = 0;
    double Longitude = 0;
    double Latitude = 0;
    float Altitude = 0;   // feet, -777 = none
    double DateTime = 0;  // days since 1899-12-30
    std::int32_t Column8 = 0;
    std::int32_t Column12 = 0;
    std::int32_t Column13 = 0;
    std::int32_t Column9 = 0;
    std::int32_t Column10 = 0;
    std::int32_t Column14 = 0;
    std::string Description;
    std::int32_t Column16 = 0;
    std::int32_t Column17 = 0;
    std::int32_t Column18 = 0;
    std::string Column22;
    std::string Column23;
    std::string Column24;
    std::int32_t Column19 = 0;
    float Column20 = 0;
    std::int32_t Column21 = 0;
    PointDetail Detail{};
};

struct TrackPropRecord {
    std::string Name;
    std::string Description;
    std::int32_t PointCount = 0;
    GroupDetail Detail{};
};

struct TrackPoint {
    double Latitude = 0;
    double Longitude = 0;
    std::int32_t NewSection = 0;
    float Altitude = 0;  // metres, -777 = none
    double DateTime = 0;
    // What the input held, at its precision (see PointDetail); the rare texts
    // of a track point stand in TrackPointTexts, at Texts - 1 (0: none).
    bool Known = false;
    std::uint32_t Texts = 0;
    PointValues Values{};
};

struct RouteWpRecord {
    std::int32_t Number = 0;
    std::string Name;
    std::int16_t Column7 = 0;
    std::int16_t Symbol = 0;
    double Longitude = 0;
    double Latitude = 0;
    double DateTime = 0;
    std::int32_t Column8 = 0;
    std::int32_t Column12 = 0;
    std::int32_t Column13 = 0;
    std::int32_t Column9 = 0;
    std::int32_t Column10 = 0;
    std::string Description;
    float Altitude = 0;  // feet
    PointDetail Detail{};
};

using Wprr = IndexedTable<RouteWpRecord, 1, 1000>;

struct RouteRecord {
    std::string Name;
    std::string Description;
    std::int32_t PointCount = 0;
    Wprr Points;
    GroupDetail Detail{};
};

// What the input says of itself (GPX metadata).
struct DocumentDetail {
    std::string name, description, author, keywords;
    std::string link, linkText, linkType;
    std::optional<UtcTime> time;
};

inline constexpr int kMaxWaypoints = 10000;
inline constexpr int kMaxTrackSlot = 100000;    // slots 0..100000
inline constexpr int kMaxTrackPoints = 100000;  // what every reader but the .gdb one stops at
inline constexpr int kMaxRouteIndex = 100;      // routes 0..100
inline constexpr int kMaxRoutePoints = 1000;
inline constexpr float kNoAltitude = -777.0f;
inline constexpr double kNoPosition = -777.0;
inline constexpr double kUndatedWaypoint = 33605.0;  // 1992-01-02

extern IndexedTable<WayPoints, 1, kMaxWaypoints> WaypointList;
extern std::int32_t WaypointCount;
extern TrackPropRecord TrackProps;
extern IndexedTable<TrackPoint, 0, kMaxTrackSlot> TrackPointList;
extern IndexedTable<RouteRecord, 0, kMaxRouteIndex> RouteList;
extern std::int32_t RouteCount;
extern IndexedTable<std::uint32_t, 0, kMaxRouteIndex> RouteColours;
// The texts of the track points that have any, for the track held; emptied by ClearTracks.
extern std::vector<PointTexts> TrackPointTexts;
extern DocumentDetail DocumentInfo;

// What the store's day counts are: the UTC times of the points, as most
// readers store them, or only the time of reading (the readers of formats
// without times stamp every point with it), which is no time of the points
// and is not written where a format can leave a time out.
enum class StoreTimes { Utc, TimeOfReading };

void ClearWaypoints();
// Empties DocumentInfo; the Convert action calls it before each read.
void ClearDocumentInfo();
// Gives a track point its texts (kept aside, since few points have any).
void SetTrackPointTexts(TrackPoint& p, PointTexts texts);
const PointTexts* TextsOf(const TrackPoint& p);
void ClearTracks();
void ClearRoutes();

// The values ClearWaypoints gives an entry; readers start each waypoint from it.
WayPoints ResetWaypoint();
