// SPDX-License-Identifier: GPL-3.0-or-later
// The Holux track image (.tlg): five slots of up to 2500 positions, split
// into native track files on reading and merged from them on writing.
#include <algorithm>
#include <array>

#include "core/clock.h"
#include "core/conversion_record.h"
#include "core/file_io.h"
#include "core/file_names.h"
#include "core/frontend.h"
#include "core/store.h"
#include "core/store_entry.h"
#include "core/text_encoding.h"
#include "formats/holux/Holux.h"
#include "formats/holux/HoluxImage.h"
#include "formats/native/Kes.h"

namespace {
constexpr std::size_t kImageSize = 133120;
constexpr int kSlots = 5;
constexpr int kSlotPoints = 2500;
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

// Loads slot t into the store; false when it holds no points.
bool LoadSlot(holux::ImageFields& f, int slot)
{
    ClearTracks();
    const std::size_t record = TrackRecordAt(slot);
    if (f.I32(record + 32) == 0) return false;
    TrackProps.Name = f.Text(record + 4, 12);
    TrackProps.Description = f.Text(record + 16, 13);
    TrackProps.Detail.known = true;
    TrackProps.Detail.name = TextAsRead(TrackProps.Name, false);
    TrackProps.Detail.description = TextAsRead(TrackProps.Description, false);
    const int count = std::min<int>(f.I16(record), kSlotPoints);
    if (count <= 0) return false;

    // A full slot is a ring: the track starts at the stored first index.
    int first = 0;
    if (count == kSlotPoints) {
        const int stored = f.I16(record + 2);
        if (stored >= 0 && stored < kSlotPoints) first = stored;
    }
    for (int l = 0; l < count; ++l) {
        const std::size_t at = PointAt(slot, (first + l) % kSlotPoints);
        // Positions only: the point's detail holds no time and no elevation.
        TrackPoint p{-holux::FromUnits(f.I32(at + 4)), holux::FromUnits(f.I32(at)), l == 0 ? 1 : 0, kNoAltitude,
                     StampTimeOfReading()};
        p.Known = true;
        if (!AddTrackPoint(p)) break;  // 2500 points never fill the track
    }
    const double now = NowUtc();
    for (int l = count; l < kSlotPoints; ++l) {
        TrackPoint& p = TrackPointList[l];
        p.NewSection = 0;
        p.Altitude = kNoAltitude;
        p.DateTime = now;
    }
    return true;
}
}  // namespace

void ReadHoluxTrackFile(const std::string& fileName, const std::string& outputName)
{
    ByteReader file = ByteReader::FromFile(fileName);
    const std::span<const std::uint8_t> image = file.view(kImageSize);
    if (image.size() < TrackRecordAt(kSlots)) NoteEndInsideRecord(holux::kFileKind);
    // Bytes missing from a short image read as FF: such a record has a count of -1.
    holux::ImageFields fields(image, kImageSize, 0xFF);
    for (int slot = 0; slot < kSlots; ++slot)
        if (LoadSlot(fields, slot)) HandOverTrack(outputName, slot + 1);
}

void WriteHoluxTrackFile(const std::vector<std::string>& inputFiles, const std::string& outputName)
{
    HoluxTrackImage image;
    const std::size_t stored = std::min<std::size_t>(inputFiles.size(), kSlots);
    for (std::size_t t = 0; t < stored; ++t) {
        ReadTrackFile(inputFiles[t]);
        image.TakeStoreTrack(static_cast<int>(t) + 1);
    }
    image.Save(outputName, inputFiles.size() > stored);
}

void WriteHoluxTrackFileFromStore(const std::string& outputName)
{
    HoluxTrackImage image;
    image.TakeStoreTrack(1);
    image.Save(outputName);
}

HoluxTrackImage::HoluxTrackImage() : image_(kImageSize, '\xFF')
{
    image_.replace(kFileHeader, kFileHeaderSize + kSlots * kTrackRecordSize,
                   kFileHeaderSize + kSlots * kTrackRecordSize, '\0');
    holux::Put<std::uint32_t>(image_, kFileHeader, kSignature);
}

void HoluxTrackImage::TakeStoreTrack(int)
{
    const int slot = offered_++;
    if (slot >= kSlots) return;
    if (TrackProps.PointCount > kSlotPoints) pointsDropped_ = true;
    const int count = std::clamp(TrackProps.PointCount, 0, kSlotPoints);
    points_ += count;

    image_.replace(PointAt(slot, 0), kSlotBytes, kSlotBytes, '\0');
    for (int e = 0; e < count; ++e) {
        const TrackPoint& p = TrackPointList[e];
        holux::Put<std::int32_t>(image_, PointAt(slot, e), holux::ToUnits(p.Longitude));
        holux::Put<std::int32_t>(image_, PointAt(slot, e) + 4, holux::ToUnits(-p.Latitude));
    }

    // A full slot starts at point 0; any other stores its count as the first index.
    const auto firstIndex = static_cast<std::int16_t>(count == kSlotPoints ? 0 : count);
    const std::size_t record = TrackRecordAt(slot);
    holux::Put<std::int16_t>(image_, record, static_cast<std::int16_t>(count));
    holux::Put<std::int16_t>(image_, record + 2, firstIndex);
    if (count > 0) holux::Put<std::int16_t>(image_, kFileHeader + 6, firstIndex);
    holux::PutText(image_, record + 4, TrackProps.Name, 12, '\0');
    holux::PutText(image_, record + 16, TrackProps.Description, 13, '\0');
    holux::Put<std::int32_t>(image_, record + 32, -1);
    holux::Put<std::int32_t>(image_, record + 36, -1);
}

void HoluxTrackImage::Save(const std::string& outputName, bool tracksLeftOut) const
{
    WriteFileSafely(WriterFileName(outputName, ".tlg"), image_);
    NoteWritten({.trackPoints = points_});
    if (tracksLeftOut || offered_ > kSlots)
        Front().ShowLimitMessage(
            "Only the first 5 selected Tracks are saved - this is a limitation of the tlg format.");
    if (pointsDropped_)
        Front().ShowLimitMessage(
            "Only the first 2500 Track Points are saved from each track - this is a limitation of the tlg format.");
}
