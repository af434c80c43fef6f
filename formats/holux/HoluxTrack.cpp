// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux track image (.tlg): five slots of up to 2500 positions, a track
// each, positions only.
#include <algorithm>
#include <array>

#include "core/document/point_entry.h"
#include "core/io/file_io.h"
#include "core/io/file_names.h"
#include "core/text/text_encoding.h"
#include "formats/holux/Holux.h"
#include "formats/holux/HoluxImage.h"
#include "formats/native/KesRecords.h"

namespace {
constexpr std::size_t kImageSize = 133120;
constexpr int kSlots = 5;
constexpr int kSlotPoints = holux::kTrackSlotPoints;
constexpr std::size_t kSlotBytes = 20000;
// Slot 3 starts the second 64 KiB half of the data area.
constexpr std::array<std::size_t, kSlots> kSlotOffsets = {0, 20000, 40000, 65536, 85536};
constexpr std::size_t kFileHeader = 131072;
constexpr std::size_t kFileHeaderSize = 16;
constexpr std::size_t kTrackRecords = 131088;
constexpr std::size_t kTrackRecordSize = 44;
constexpr std::uint32_t kSignature = 0x38CB1200;

std::size_t TrackRecordAt(int slot) { return kTrackRecords + kTrackRecordSize * static_cast<std::size_t>(slot); }
std::size_t PointAt(int slot, int index)
{
    return kSlotOffsets.at(static_cast<std::size_t>(slot)) + 8 * static_cast<std::size_t>(index);
}

// The track of slot t; false when the slot holds no points.
bool ReadSlot(holux::ImageFields& f, int slot, Track& track, Findings& findings)
{
    const std::size_t record = TrackRecordAt(slot);
    if (f.I32(record + 32) == 0) return false;
    const int count = std::min<int>(f.I16(record), kSlotPoints);
    if (count <= 0) return false;
    track.info.name = TextAsRead(f.Text(record + 4, 12), false);
    track.info.description = TextAsRead(f.Text(record + 16, 13), false);
    track.slot = slot + 1;
    // A full slot is a ring: the track starts at the stored first index.
    int first = 0;
    if (count == kSlotPoints) {
        const int stored = f.I16(record + 2);
        if (stored >= 0 && stored < kSlotPoints) first = stored;
    }
    PointEntry entry(track.points, findings);
    for (int l = 0; l < count; ++l) {
        const std::size_t at = PointAt(slot, (first + l) % kSlotPoints);
        Point p;
        p.latitude = -holux::FromUnits(f.I32(at + 4));
        p.longitude = holux::FromUnits(f.I32(at));
        p.newSection = l == 0;
        entry.Add(p);
    }
    return true;
}

class TrackImage {
public:
    TrackImage() : image_(kImageSize, '\xFF')
    {
        image_.replace(kFileHeader, kFileHeaderSize + kSlots * kTrackRecordSize,
                       kFileHeaderSize + kSlots * kTrackRecordSize, '\0');
        holux::Put<std::uint32_t>(image_, kFileHeader, kSignature);
    }
    const std::string& Bytes() const { return image_; }

    // Returns the points stored, the first 2500.
    int Store(int slot, const Track& track)
    {
        const int count = static_cast<int>(std::min<std::size_t>(track.points.size(), kSlotPoints));
        image_.replace(PointAt(slot, 0), kSlotBytes, kSlotBytes, '\0');
        int e = 0;
        for (const Point& p : track.points) {
            if (e == count) break;
            holux::Put<std::int32_t>(image_, PointAt(slot, e), holux::ToUnits(p.longitude));
            holux::Put<std::int32_t>(image_, PointAt(slot, e) + 4, holux::ToUnits(-p.latitude));
            ++e;
        }
        // A full slot starts at point 0; any other stores its count as the first index.
        const auto firstIndex = static_cast<std::int16_t>(count == kSlotPoints ? 0 : count);
        const std::size_t record = TrackRecordAt(slot);
        holux::Put<std::int16_t>(image_, record, static_cast<std::int16_t>(count));
        holux::Put<std::int16_t>(image_, record + 2, firstIndex);
        if (count > 0) holux::Put<std::int16_t>(image_, kFileHeader + 6, firstIndex);
        holux::PutText(image_, record + 4, kes::NativeName(track.info), holux::kTrackNameLength, '\0');
        holux::PutText(image_, record + 16, kes::NativeDescription(track.info), holux::kTrackTextLength, '\0');
        holux::Put<std::int32_t>(image_, record + 32, -1);
        holux::Put<std::int32_t>(image_, record + 36, -1);
        return count;
    }

private:
    std::string image_;
};
}  // namespace

ReadResult ReadHoluxTrackFile(const InputSource& source, const ReadOptions& options)
{
    ReadResult result = NewReadResult(options);
    ByteReader file = source.ReadBytes();
    const std::span<const std::uint8_t> image = file.view(kImageSize);
    if (image.size() < TrackRecordAt(kSlots)) result.findings.Add(FindingKind::Truncated, holux::kEndInsideRecord);
    // Bytes missing from a short image read as FF: such a record has a count of -1.
    holux::ImageFields fields(image, kImageSize, 0xFF);
    for (int slot = 0; slot < kSlots; ++slot) {
        Track track = result.document.NewTrack();
        if (ReadSlot(fields, slot, track, result.findings)) result.document.tracks.push_back(std::move(track));
    }
    return result;
}

WriteResult WriteHoluxTrackFile(const Document& document, const WriteRequest& request)
{
    WriteResult result;
    TrackImage image;
    std::int64_t pointsLeftOut = 0;
    int slot = 0;
    for (const Track& track : document.tracks) {
        if (slot == kSlots) break;
        const int stored = image.Store(slot++, track);
        result.counts.trackPoints += stored;
        pointsLeftOut += static_cast<std::int64_t>(track.points.size()) - stored;
    }
    WriteFileSafely(request.exactNames ? request.outputName : ChangeFileExt(request.outputName, ".tlg"), image.Bytes(),
                    request.transaction);
    const auto tracks = static_cast<std::int64_t>(document.tracks.size());
    if (tracks > kSlots)
        result.findings.Add(FindingKind::Cut,
                            "Only the first 5 selected Tracks are saved - this is a limitation of the tlg format.",
                            tracks - kSlots);
    if (pointsLeftOut > 0)
        result.findings.Add(FindingKind::Cut,
                            "Only the first 2500 Track Points are saved from each track - this is a limitation of "
                            "the tlg format.",
                            pointsLeftOut);
    return result;
}
