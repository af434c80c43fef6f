// SPDX-License-Identifier: GPL-3.0-or-later
// The points of a document's waypoints, of a route or of a track, in order.
// They are kept packed, only the values each point has, and a list longer
// than kInMemory bytes goes on in an unnamed temporary file, as does any list
// of some size while all lists together hold more than kAllInMemory, so that
// memory stays flat however many points and lists a file holds. Points are
// read back in order through a cursor, one at a time.
//
// A list made for a read (Document::NewTrack ...) shares the read's context
// (core/io/read_context.h): each point stored is counted into its watch,
// which stops the read when asked, as do cursors over the list every few
// thousand points; it spills into the context's fallback folder when the
// temporary folder cannot be used. A list made without one does neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/document/point.h"
#include "core/document/point_values.h"

class SpillFile;
struct ReadContext;
struct ReadWatch;

struct TimeRange {
    std::optional<UtcTime> earliest, latest;
    void Add(const UtcTime& time)
    {
        if (!earliest || time < *earliest) earliest = time;
        if (!latest || *latest < time) latest = time;
    }
};

class PointList {
public:
    static constexpr std::size_t kInMemory = 8u << 20;
    static constexpr std::size_t kAllInMemory = 24u << 20;

    PointList();
    explicit PointList(std::shared_ptr<const ReadContext> context);
    ~PointList();
    PointList(const PointList& other);
    PointList& operator=(const PointList& other);
    PointList(PointList&& other) noexcept;
    PointList& operator=(PointList&& other) noexcept;
    // For tests and small lists.
    PointList(std::initializer_list<Point> points);
    explicit PointList(const std::vector<Point>& points);

    // An empty list of the same context: what a step that makes a list anew
    // from this one makes it as.
    PointList EmptyLike() const { return PointList(context_); }
    const std::shared_ptr<const ReadContext>& Context() const { return context_; }

    // Raises FileError when the temporary file cannot be made or written,
    // ReadCancelled when the context's watch is asked to stop.
    void push_back(const Point& point);
    // The points of another list after these, taken as they are packed.
    void Append(const PointList& other);
    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    void clear();

    // Reads the points in order; the list must outlive it and not change
    // meanwhile. Raises ReadCancelled when the list's watch is asked to stop.
    class Cursor {
    public:
        explicit Cursor(const PointList& list);
        ~Cursor();
        Cursor(Cursor&&) noexcept;
        Cursor& operator=(Cursor&&) = delete;
        Cursor(const Cursor&) = delete;
        Cursor& operator=(const Cursor&) = delete;
        // The next point into `point`, whose strings keep their memory from
        // point to point; false at the end.
        bool Next(Point& point);
        // Passes over `count` points without reading them; false at the end.
        bool Skip(std::size_t count);

    private:
        bool Fill(std::size_t count);
        // The packed bytes of the next point, valid until the cursor is used again; false at the end.
        bool NextPacked(std::string_view& bytes);
        const PointList* list_;
        std::uint64_t fileAt_ = 0;  // the next byte of the spilled part to read
        std::string chunk_;         // bytes read from the spilled part
        std::size_t chunkAt_ = 0;
        std::size_t memoryAt_ = 0;  // in the part still in memory
        std::uint64_t read_ = 0;
    };
    Cursor Points() const { return Cursor(*this); }

    // Each point in order.
    template <typename Visit>
    void ForEach(Visit&& visit) const
    {
        Cursor cursor(*this);
        Point point;
        while (cursor.Next(point)) visit(point);
    }
    std::vector<Point> ToVector() const;
    // The earliest and the latest dated time of the points (undated times of
    // day left out), kept as they are added: what a check of all the times
    // asks first, without reading the points again.
    const TimeRange& Times() const { return times_; }
    // Some point holds a text of more than ASCII (HoldsNonAsciiText), kept
    // as they are added: the code pages read only such lists again.
    bool NonAsciiTexts() const { return nonAsciiTexts_; }
    // What kinds of value its points hold, kept as they are added.
    const ValueTally& Values() const { return tally_; }

    // Range-for over the points; the point given is valid until the next step.
    class Iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = Point;
        using difference_type = std::ptrdiff_t;
        using pointer = const Point*;
        using reference = const Point&;
        Iterator() = default;
        explicit Iterator(const PointList& list);
        const Point& operator*() const { return state_->point; }
        const Point* operator->() const { return &state_->point; }
        Iterator& operator++();
        friend bool operator==(const Iterator& a, const Iterator& b) { return a.state_ == b.state_; }

    private:
        struct State {
            explicit State(const PointList& list) : cursor(list) {}
            Cursor cursor;
            Point point;
        };
        std::shared_ptr<State> state_;
    };
    Iterator begin() const { return Iterator(*this); }
    Iterator end() const { return {}; }

private:
    // The bytes one list holds in memory, counted with those of every other.
    class Held {
    public:
        Held() = default;
        ~Held() { Set(0); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
        void Set(std::size_t bytes);
        static std::size_t All();

    private:
        std::size_t bytes_ = 0;
    };
    void Spill();
    void SpillIfLarge();
    void Count() { held_.Set(memory_.capacity()); }
    // Shared, so that a list kept after its read (the window keeps documents) holds nothing that dangles.
    std::shared_ptr<const ReadContext> context_;
    ReadWatch* watch_ = nullptr;  // the context's, looked at for each point
    std::string memory_;          // packed points not spilled
    Held held_;
    std::shared_ptr<SpillFile> file_;
    std::uint64_t spilled_ = 0;  // bytes of file_ that belong to this list
    std::size_t count_ = 0;
    TimeRange times_;
    ValueTally tally_;
    bool nonAsciiTexts_ = false;
};

bool operator==(const PointList& a, const PointList& b);
