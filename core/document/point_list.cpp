// SPDX-License-Identifier: GPL-3.0-or-later
// A point is packed as its byte length, a mask of the values it has, its
// position, then each value it has in the mask's order: numbers as their
// bytes, texts as a length and their bytes.
#include "core/document/point_list.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "core/io/read_context.h"
#include "core/io/spill_file.h"

namespace {
enum Bit : std::uint32_t {
    kTime = 1u << 0,
    kElevation = 1u << 1,
    kSpeed = 1u << 2,
    kCourse = 1u << 3,
    kMagneticVariation = 1u << 4,
    kGeoidHeight = 1u << 5,
    kHdop = 1u << 6,
    kVdop = 1u << 7,
    kPdop = 1u << 8,
    kAgeOfDgps = 1u << 9,
    kCelsius = 1u << 10,
    kWaterCelsius = 1u << 11,
    kDepth = 1u << 12,
    kDgpsStation = 1u << 13,
    kSatellites = 1u << 14,
    kHeartRate = 1u << 15,
    kCadence = 1u << 16,
    kFix = 1u << 17,
    kNewSection = 1u << 18,
    kSymbolCode = 1u << 19,
    kTexts = 1u << 20,
    kDevice = 1u << 21,
    kExtensions = 1u << 22,
    kUndated = 1u << 23,
    kNative = 1u << 24,
    kExtensionsLeftOut = 1u << 25,
};

// The doubles of a point that are none when NaN, with their bits. Every loop
// over them is unrolled: each point of a list goes through three of them.
struct Measure {
    Bit bit;
    double Point::*field;
};
constexpr Measure kMeasures[] = {
    {kElevation, &Point::elevation},
    {kSpeed, &Point::speed},
    {kCourse, &Point::course},
    {kMagneticVariation, &Point::magneticVariation},
    {kGeoidHeight, &Point::geoidHeight},
    {kHdop, &Point::hdop},
    {kVdop, &Point::vdop},
    {kPdop, &Point::pdop},
    {kAgeOfDgps, &Point::ageOfDgps},
    {kCelsius, &Point::celsius},
    {kWaterCelsius, &Point::waterCelsius},
    {kDepth, &Point::depth},
};
constexpr std::string Point::*kTextFields[] = {&Point::name,   &Point::comment, &Point::description,
                                               &Point::source, &Point::symbol,  &Point::type};
constexpr std::string DeviceDetails::*kDeviceTexts[] = {
    &DeviceDetails::street,  &DeviceDetails::city,  &DeviceDetails::state,      &DeviceDetails::postalCode,
    &DeviceDetails::country, &DeviceDetails::phone, &DeviceDetails::displayMode};
constexpr double DeviceDetails::*kDeviceMeasures[] = {&DeviceDetails::proximity, &DeviceDetails::depth,
                                                      &DeviceDetails::celsius};

// Reads a packed point back; the bytes are the list's own, but every read is
// still checked against their end.
class Unpacker {
public:
    explicit Unpacker(std::string_view bytes) : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}
    template <typename T>
    T Get()
    {
        Need(sizeof(T));
        T value;
        std::memcpy(&value, at_, sizeof(T));
        at_ += sizeof(T);
        return value;
    }
    // A count of items of at least `unit` bytes each that the rest can hold.
    std::size_t Count(std::size_t unit)
    {
        const auto count = Get<std::uint32_t>();
        Need(std::size_t{count} * unit);
        return count;
    }
    void Text(std::string& out)
    {
        const auto size = Get<std::uint32_t>();
        Need(size);
        out.assign(at_, size);
        at_ += size;
    }

private:
    void Need(std::size_t count) const
    {
        if (count > static_cast<std::size_t>(end_ - at_)) throw std::logic_error("a packed point is damaged");
    }
    const char* at_;
    const char* end_;
};

// The native form: which of its parts it has, then its numbers, among the
// values of a fixed size.
std::uint8_t PartsOf(const NativeForm& n)
{
    return static_cast<std::uint8_t>((n.feet ? 4 : 0) | (n.symbol ? 8 : 0) | (n.number ? 16 : 0) |
                                     (n.noDateDay ? 32 : 0) | (n.dayOfConversion ? 64 : 0));
}

void UnpackNative(Unpacker& in, NativeForm& n)
{
    const auto parts = in.Get<std::uint8_t>();
    n.feet = parts & 4 ? std::optional(in.Get<float>()) : std::nullopt;
    n.symbol = parts & 8 ? std::optional(in.Get<std::int16_t>()) : std::nullopt;
    n.number = parts & 16 ? std::optional(in.Get<std::int32_t>()) : std::nullopt;
    n.noDateDay = (parts & 32) != 0;
    n.dayOfConversion = (parts & 64) != 0;
}

std::uint32_t MaskOf(const Point& p)
{
    std::uint32_t mask = 0;
    if (p.time) mask |= kTime;
#pragma GCC unroll 16
    for (const Measure& m : kMeasures)
        if (!std::isnan(p.*m.field)) mask |= m.bit;
    if (p.dgpsStation >= 0) mask |= kDgpsStation;
    if (p.satellites >= 0) mask |= kSatellites;
    if (p.heartRate >= 0) mask |= kHeartRate;
    if (p.cadence >= 0) mask |= kCadence;
    if (p.fix != 0) mask |= kFix;
    if (p.newSection) mask |= kNewSection;
    if (p.undated) mask |= kUndated;
    if (!p.native.Empty()) mask |= kNative;
    if (p.symbolCode >= 0) mask |= kSymbolCode;
    if (p.HasTexts()) mask |= kTexts;
    if (!p.device.Empty()) mask |= kDevice;
    if (!p.extensions.empty()) mask |= kExtensions;
    if (p.extensionsLeftOut) mask |= kExtensionsLeftOut;
    return mask;
}

// The values of a point of a fixed size, gathered before they are appended
// at once: a long track packs a point at a time.
class FixedPart {
public:
    template <typename T>
    void Put(T value)
    {
        std::memcpy(bytes_ + size_, &value, sizeof(T));
        size_ += sizeof(T);
    }
    std::string_view Bytes() const { return {bytes_, size_}; }

private:
    // The length, the mask, the position, the time, every other number, and the native form's.
    static constexpr std::size_t kMost = 4 + 4 + 16 + 12 + std::size(kMeasures) * 8 + 4 + 3 * 2 + 1 + 2 + 1 + 4 + 2 + 4;
    char bytes_[kMost];
    std::size_t size_ = 0;
};

// The texts of a point and the numbers among them, in order, given to a
// sink: one that counts their bytes, then one that writes them in place, so
// that a point with texts costs its list one growth, not one per text.
template <typename Sink>
void PackTexts(Sink& sink, const Point& p, std::uint32_t mask)
{
    if (mask & kTexts) {
        for (auto field : kTextFields) sink.Text(p.*field);
        sink.Put(static_cast<std::uint32_t>(p.links.size()));
        for (const Link& link : p.links) {
            sink.Text(link.href);
            sink.Text(link.text);
            sink.Text(link.type);
        }
    }
    if (mask & kDevice) {
        for (auto field : kDeviceTexts) sink.Text(p.device.*field);
        for (auto field : kDeviceMeasures) sink.Put(p.device.*field);
        sink.Put(static_cast<std::uint32_t>(p.device.categories.size()));
        for (const std::string& category : p.device.categories) sink.Text(category);
    }
    if (mask & kExtensions) sink.Text(p.extensions);
}

struct ByteCount {
    std::size_t bytes = 0;
    template <typename T>
    void Put(T)
    {
        bytes += sizeof(T);
    }
    void Text(const std::string& text) { bytes += sizeof(std::uint32_t) + text.size(); }
};

struct InPlace {
    char* at;
    template <typename T>
    void Put(T value)
    {
        std::memcpy(at, &value, sizeof(T));
        at += sizeof(T);
    }
    void Text(const std::string& text)
    {
        Put(static_cast<std::uint32_t>(text.size()));
        std::memcpy(at, text.data(), text.size());
        at += text.size();
    }
};

// Packs the point; returns the mask of the values it has.
std::uint32_t Pack(std::string& out, const Point& p)
{
    const std::uint32_t mask = MaskOf(p);
    FixedPart fixed;
    fixed.Put(std::uint32_t{0});  // the length, set below
    fixed.Put(mask);
    fixed.Put(p.latitude);
    fixed.Put(p.longitude);
    if (mask & kTime) {
        fixed.Put(p.time->seconds);
        fixed.Put(p.time->nanoseconds);
    }
#pragma GCC unroll 16
    for (const Measure& m : kMeasures)
        if (mask & m.bit) fixed.Put(p.*m.field);
    if (mask & kDgpsStation) fixed.Put(p.dgpsStation);
    if (mask & kSatellites) fixed.Put(p.satellites);
    if (mask & kHeartRate) fixed.Put(p.heartRate);
    if (mask & kCadence) fixed.Put(p.cadence);
    if (mask & kFix) fixed.Put(p.fix);
    if (mask & kSymbolCode) fixed.Put(p.symbolCode);
    if (mask & kNative) {
        const NativeForm& n = p.native;
        fixed.Put(PartsOf(n));
        if (n.feet) fixed.Put(*n.feet);
        if (n.symbol) fixed.Put(*n.symbol);
        if (n.number) fixed.Put(*n.number);
    }
    const std::size_t start = out.size();
    out.append(fixed.Bytes());
    if (mask & (kTexts | kDevice | kExtensions)) {
        ByteCount texts;
        PackTexts(texts, p, mask);
        out.resize(out.size() + texts.bytes);
        InPlace sink{out.data() + out.size() - texts.bytes};
        PackTexts(sink, p, mask);
    }
    const auto length = static_cast<std::uint32_t>(out.size() - start - sizeof(std::uint32_t));
    std::memcpy(out.data() + start, &length, sizeof length);
    return mask;
}

// The kinds of value a packed point of this mask holds, as an output may lack them.
void Tally(ValueTally& tally, const Point& p, std::uint32_t mask)
{
    constexpr std::uint32_t kSensors = kHeartRate | kCadence | kCelsius | kWaterCelsius | kDepth;
    constexpr std::uint32_t kFigures = kSpeed | kCourse | kMagneticVariation | kGeoidHeight | kHdop | kVdop | kPdop |
                                       kAgeOfDgps | kDgpsStation | kSatellites | kFix;
    const auto kind = [mask](std::uint32_t bits, PointValue value) { return (mask & bits) != 0 ? KindBit(value) : 0; };
    std::uint32_t kinds = kind(kTime, PointValue::Time) | kind(kElevation, PointValue::Elevation) |
                          kind(kSensors, PointValue::Sensors) | kind(kFigures, PointValue::ReceiverFigures) |
                          kind(kExtensions | kExtensionsLeftOut, PointValue::Extensions) |
                          kind(kNewSection, PointValue::SectionStart) | kind(kSymbolCode, PointValue::AnySymbol);
    if ((mask & kNative) && p.native.symbol) kinds |= KindBit(PointValue::AnySymbol);
    if ((mask & (kTexts | kDevice)) == 0) return tally.Add(kinds);
    const std::string& text = p.description.empty() ? p.comment : p.description;
    tally.Add(kinds | KindsOfTexts(p), p.name.size(), text.size());
}

void Unpack(std::string_view bytes, Point& p)
{
    Unpacker in(bytes);
    const auto mask = in.Get<std::uint32_t>();
    p.latitude = in.Get<double>();
    p.longitude = in.Get<double>();
    if (mask & kTime) {
        UtcTime time;
        time.seconds = in.Get<std::int64_t>();
        time.nanoseconds = in.Get<std::int32_t>();
        p.time = time;
    } else {
        p.time.reset();
    }
#pragma GCC unroll 16
    for (const Measure& m : kMeasures) p.*m.field = (mask & m.bit) ? in.Get<double>() : kNoValue;
    p.dgpsStation = (mask & kDgpsStation) ? in.Get<std::int32_t>() : -1;
    p.satellites = (mask & kSatellites) ? in.Get<std::int16_t>() : std::int16_t{-1};
    p.heartRate = (mask & kHeartRate) ? in.Get<std::int16_t>() : std::int16_t{-1};
    p.cadence = (mask & kCadence) ? in.Get<std::int16_t>() : std::int16_t{-1};
    p.fix = (mask & kFix) ? in.Get<std::uint8_t>() : std::uint8_t{0};
    p.newSection = (mask & kNewSection) != 0;
    p.undated = (mask & kUndated) != 0;
    p.extensionsLeftOut = (mask & kExtensionsLeftOut) != 0;
    p.symbolCode = (mask & kSymbolCode) ? in.Get<std::int16_t>() : std::int16_t{-1};
    if (mask & kNative) UnpackNative(in, p.native);
    else if (!p.native.Empty()) p.native = {};
    if (mask & kTexts) {
        for (auto field : kTextFields) in.Text(p.*field);
        p.links.resize(in.Count(3 * sizeof(std::uint32_t)));
        for (Link& link : p.links) {
            in.Text(link.href);
            in.Text(link.text);
            in.Text(link.type);
        }
    } else {
        for (auto field : kTextFields) (p.*field).clear();
        p.links.clear();
    }
    if (mask & kDevice) {
        for (auto field : kDeviceTexts) in.Text(p.device.*field);
        for (auto field : kDeviceMeasures) p.device.*field = in.Get<double>();
        p.device.categories.resize(in.Count(sizeof(std::uint32_t)));
        for (std::string& category : p.device.categories) in.Text(category);
    } else if (!p.device.Empty()) {
        p.device = {};
    }
    if (mask & kExtensions) in.Text(p.extensions);
    else p.extensions.clear();
}
}  // namespace

namespace {
// What every list holds in memory together: an account, like an allocator's,
// that carries no data.
std::atomic<std::size_t> allHeld{0};
}  // namespace

void PointList::Held::Set(std::size_t bytes)
{
    if (bytes >= bytes_) allHeld.fetch_add(bytes - bytes_, std::memory_order_relaxed);
    else allHeld.fetch_sub(bytes_ - bytes, std::memory_order_relaxed);
    bytes_ = bytes;
}

std::size_t PointList::Held::All() { return allHeld.load(std::memory_order_relaxed); }

PointList::PointList() = default;
PointList::PointList(std::shared_ptr<const ReadContext> context)
    : context_(std::move(context)), watch_(context_ ? context_->watch.get() : nullptr)
{}
PointList::~PointList() = default;
// A copy, and a list moved from, keep the context: a list emptied goes on as a list of its read.
PointList::PointList(const PointList& other)
    : context_(other.context_), watch_(other.watch_), memory_(other.memory_), file_(other.file_),
      spilled_(other.spilled_), count_(other.count_), times_(other.times_), tally_(other.tally_),
      nonAsciiTexts_(other.nonAsciiTexts_)
{
    Count();
}
PointList& PointList::operator=(const PointList& other)
{
    if (this != &other) {
        context_ = other.context_;
        watch_ = other.watch_;
        memory_ = other.memory_;
        file_ = other.file_;
        spilled_ = other.spilled_;
        count_ = other.count_;
        times_ = other.times_;
        tally_ = other.tally_;
        nonAsciiTexts_ = other.nonAsciiTexts_;
        Count();
    }
    return *this;
}
PointList::PointList(PointList&& other) noexcept
    : context_(other.context_), watch_(other.watch_), memory_(std::move(other.memory_)), file_(std::move(other.file_)),
      spilled_(other.spilled_), count_(other.count_), times_(other.times_), tally_(other.tally_),
      nonAsciiTexts_(other.nonAsciiTexts_)
{
    Count();
    other.clear();
}
PointList& PointList::operator=(PointList&& other) noexcept
{
    if (this != &other) {
        context_ = other.context_;
        watch_ = other.watch_;
        memory_ = std::move(other.memory_);
        file_ = std::move(other.file_);
        spilled_ = other.spilled_;
        count_ = other.count_;
        times_ = other.times_;
        tally_ = other.tally_;
        nonAsciiTexts_ = other.nonAsciiTexts_;
        Count();
        other.clear();
    }
    return *this;
}

PointList::PointList(std::initializer_list<Point> points)
{
    for (const Point& p : points) push_back(p);
}

PointList::PointList(const std::vector<Point>& points)
{
    for (const Point& p : points) push_back(p);
}

void PointList::push_back(const Point& point)
{
    if (watch_) watch_->NotePointStored();
    // A list this long will most likely fill its room in memory: taken at
    // once, it is not copied and touched afresh at each doubling.
    constexpr std::size_t kLongList = 1u << 20;
    if (memory_.size() >= kLongList && memory_.capacity() < kInMemory) memory_.reserve(kInMemory + kLongList);
    const std::size_t capacity = memory_.capacity();
    const std::uint32_t mask = Pack(memory_, point);
    ++count_;
    if (point.time && !point.undated) times_.Add(*point.time);
    Tally(tally_, point, mask);
    // Track points hold no texts: one look at their emptiness.
    if (!nonAsciiTexts_ && (point.HasTexts() || !point.device.Empty())) nonAsciiTexts_ = HoldsNonAsciiText(point);
    if (memory_.capacity() != capacity) Count();
    SpillIfLarge();
}

void PointList::SpillIfLarge()
{
    // Many lists of some size together would hold too much: this one goes on in its file.
    constexpr std::size_t kSomeSize = 256u << 10;
    if (memory_.size() >= kInMemory || (memory_.size() >= kSomeSize && Held::All() > kAllInMemory)) Spill();
}

void PointList::Append(const PointList& other)
{
    if (other.spilled_ > 0 || this == &other) {
        const PointList copy = other;  // a list appended to itself reads what it held
        copy.ForEach([this](const Point& p) { push_back(p); });
        return;
    }
    // A packed point stands alone: the other list's bytes are its points here.
    if (memory_.size() + other.memory_.size() >= kInMemory) {
        // Joined in memory, the two would be copied into fresh pages only to be spilled.
        Spill();
        file_->WriteAt(spilled_, other.memory_);
        spilled_ += other.memory_.size();
    } else {
        memory_.append(other.memory_);
    }
    count_ += other.count_;
    if (other.times_.earliest) times_.Add(*other.times_.earliest);
    if (other.times_.latest) times_.Add(*other.times_.latest);
    tally_.Add(other.tally_);
    nonAsciiTexts_ = nonAsciiTexts_ || other.nonAsciiTexts_;
    Count();
    SpillIfLarge();
}

void PointList::clear()
{
    memory_.clear();
    memory_.shrink_to_fit();
    Count();
    file_.reset();
    spilled_ = 0;
    count_ = 0;
    times_ = {};
    tally_ = {};
    nonAsciiTexts_ = false;
}

// A file shared with a copy of the list is not written into: this list goes
// on in a copy of it.
void PointList::Spill()
{
    const std::string& fallback = context_ ? context_->spillFallback : std::string();
    if (!file_) {
        file_ = std::make_shared<SpillFile>(fallback);
    } else if (file_.use_count() > 1) {
        auto own = std::make_shared<SpillFile>(fallback);
        file_->CopyInto(*own, spilled_);
        file_ = std::move(own);
    }
    file_->WriteAt(spilled_, memory_);
    spilled_ += memory_.size();
    memory_.clear();
    memory_.shrink_to_fit();
    Count();
}

std::vector<Point> PointList::ToVector() const
{
    std::vector<Point> points;
    points.reserve(count_);
    ForEach([&](const Point& p) { points.push_back(p); });
    return points;
}

PointList::Cursor::Cursor(const PointList& list) : list_(&list) {}
PointList::Cursor::~Cursor() = default;
PointList::Cursor::Cursor(Cursor&&) noexcept = default;

// Holds at least count unread bytes of the spilled part in chunk_; false when
// fewer are left there.
bool PointList::Cursor::Fill(std::size_t count)
{
    if (chunk_.size() - chunkAt_ >= count) return true;
    chunk_.erase(0, chunkAt_);
    chunkAt_ = 0;
    const std::uint64_t left = list_->spilled_ - fileAt_;
    const std::size_t want = std::max<std::size_t>(count - chunk_.size(), 1u << 20);
    const auto take = static_cast<std::size_t>(std::min<std::uint64_t>(left, want));
    if (take > 0) {
        const std::size_t got = list_->file_->ReadAt(fileAt_, take, chunk_);
        fileAt_ += got;
    }
    return chunk_.size() >= count;
}

bool PointList::Cursor::NextPacked(std::string_view& bytes)
{
    // A long list is walked in a conversion or a view that may be stopped meanwhile.
    if (++read_ % 4096 == 0 && list_->watch_) list_->watch_->StopIfAsked();
    std::uint32_t length = 0;
    if (fileAt_ < list_->spilled_ || chunkAt_ < chunk_.size()) {
        if (!Fill(sizeof length)) throw std::logic_error("a spilled point list is damaged");
        std::memcpy(&length, chunk_.data() + chunkAt_, sizeof length);
        if (!Fill(sizeof length + length)) throw std::logic_error("a spilled point list is damaged");
        bytes = std::string_view(chunk_).substr(chunkAt_ + sizeof length, length);
        chunkAt_ += sizeof length + length;
        return true;
    }
    const std::string& memory = list_->memory_;
    if (memoryAt_ >= memory.size()) return false;
    if (memory.size() - memoryAt_ < sizeof length) throw std::logic_error("a point list is damaged");
    std::memcpy(&length, memory.data() + memoryAt_, sizeof length);
    memoryAt_ += sizeof length;
    if (memory.size() - memoryAt_ < length) throw std::logic_error("a point list is damaged");
    bytes = std::string_view(memory).substr(memoryAt_, length);
    memoryAt_ += length;
    return true;
}

bool PointList::Cursor::Next(Point& point)
{
    std::string_view bytes;
    if (!NextPacked(bytes)) return false;
    Unpack(bytes, point);
    return true;
}

bool PointList::Cursor::Skip(std::size_t count)
{
    std::string_view bytes;
    for (; count > 0; --count)
        if (!NextPacked(bytes)) return false;
    return true;
}

PointList::Iterator::Iterator(const PointList& list) : state_(std::make_shared<State>(list)) { ++*this; }

PointList::Iterator& PointList::Iterator::operator++()
{
    if (state_ && !state_->cursor.Next(state_->point)) state_.reset();
    return *this;
}

bool operator==(const PointList& a, const PointList& b)
{
    if (a.size() != b.size()) return false;
    PointList::Cursor ca(a), cb(b);
    Point pa, pb;
    while (ca.Next(pa)) {
        cb.Next(pb);
        if (!(pa == pb)) return false;
    }
    return true;
}
