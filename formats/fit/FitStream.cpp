// SPDX-License-Identifier: GPL-3.0-or-later
// A FIT file: a header of 12 or more bytes (".FIT" at 8, its own checksum at
// 12 from 14 bytes on), records of the data size it gives, and a checksum of
// the header and the records; further files may follow, chained.
#include "formats/fit/FitStream.h"

#include <string_view>

#include "core/convert/format_rows.h"

namespace fit {
namespace {
constexpr std::size_t kShortestHeader = 12;
constexpr std::size_t kHeaderWithChecksum = 14;
constexpr std::string_view kSignature = ".FIT";

constexpr std::uint8_t kCompressedHeader = 0x80;
constexpr std::uint8_t kDefinitionHeader = 0x40;
constexpr std::uint8_t kDeveloperFields = 0x20;
constexpr std::uint8_t kLocalType = 0x0F;
constexpr std::uint8_t kTimeOffset = 0x1F;

std::uint16_t Little16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}
std::uint32_t Little32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return Little16(bytes, at) | std::uint32_t{Little16(bytes, at + 2)} << 16;
}

// The fields of a definition, three bytes each: number, size, base type.
Definition Laid(std::uint16_t global, bool bigEndian, std::span<const std::uint8_t> fields)
{
    Definition d;
    d.global = global;
    d.bigEndian = bigEndian;
    d.indexOf.fill(-1);
    for (std::size_t at = 0; at + 3 <= fields.size(); at += 3) {
        const std::uint8_t number = fields[at];
        if (d.indexOf[number] < 0) d.indexOf[number] = static_cast<std::int16_t>(d.fields.size());
        d.fields.push_back({d.size, fields[at + 1], fields[at + 2], NumberTypeOf(fields[at + 1], fields[at + 2])});
        d.size += fields[at + 1];
    }
    return d;
}

std::string At(std::size_t offset) { return " at byte " + std::to_string(offset); }
}  // namespace

RecordStream::RecordStream(ByteReader& file, Findings& findings) : file_(file), findings_(findings)
{
    if (!StartFile(true)) ended_ = true;
}

bool RecordStream::Take(std::size_t count, std::span<const std::uint8_t>& bytes)
{
    bytes = file_.view(count);
    if (bytes.size() < count) return false;
    crc_ = Crc16(crc_, bytes);
    file_.skip(count);
    return true;
}

bool RecordStream::StartFile(bool first)
{
    const std::size_t start = file_.position();
    const std::span<const std::uint8_t> head = file_.view(kShortestHeader);
    const bool isFit = head.size() == kShortestHeader && head[0] >= kShortestHeader &&
                       std::string_view(reinterpret_cast<const char*>(head.data()) + 8, 4) == kSignature;
    if (!isFit && first) throw InputRefused("This is not a FIT file");
    if (!isFit) {
        findings_.Add(FindingKind::Damaged, "The FIT file holds bytes after its end" + At(start) +
                                                " that start no further FIT file: they were not read.");
        return false;
    }
    const std::uint8_t size = head[0];
    const std::uint32_t dataSize = Little32(head, 4);
    crc_ = 0;
    std::span<const std::uint8_t> header;
    if (!Take(size, header)) {
        findings_.Add(FindingKind::Truncated, "The FIT file ends inside its header" + At(start) + ".");
        return false;
    }
    const std::uint16_t stored = size >= kHeaderWithChecksum ? Little16(header, 12) : 0;
    if (stored != 0 && stored != Crc16(0, header.first(kShortestHeader)))
        findings_.Add(FindingKind::Damaged, "The FIT file's header" + At(start) +
                                                " has a wrong checksum: its records were read as they stand.");
    dataEnd_ = start + size + dataSize;
    openLimit_ = file_.limit(dataEnd_);
    definitions_ = {};
    lastTime_.reset();
    return true;
}

bool RecordStream::EndFile()
{
    file_.limit(openLimit_);
    const std::uint16_t computed = crc_;
    std::uint16_t stored = 0;
    if (!file_.u16(stored)) {
        findings_.Add(FindingKind::Truncated,
                      "The FIT file ends before its checksum: its records were read, unchecked.");
        return false;
    }
    if (stored != computed)
        findings_.Add(FindingKind::Damaged,
                      "The FIT file's checksum is wrong" + At(dataEnd_) +
                          ": the file is damaged somewhere; its records were read as they stand.");
    return !file_.at_end() && StartFile(false);
}

void RecordStream::Stop(FindingKind kind, const std::string& what)
{
    findings_.Add(kind, "The FIT file " + what + At(recordAt_) + ": the records before it were read.");
    ended_ = true;
}

void RecordStream::StopCut()
{
    // Past the file's end, or past the end of the data its header gives.
    file_.limit(openLimit_);
    if (file_.size() < dataEnd_) Stop(FindingKind::Truncated, "ends inside a record");
    else Stop(FindingKind::Damaged, "is damaged: a record runs past the end of its data");
}

std::optional<Message> RecordStream::Next()
{
    while (!ended_) {
        recordAt_ = file_.position();
        if (recordAt_ >= dataEnd_) {
            ended_ = !EndFile();
            continue;
        }
        std::span<const std::uint8_t> byte;
        if (!Take(1, byte)) {
            StopCut();
            break;
        }
        const std::uint8_t header = byte[0];
        if ((header & kCompressedHeader) != 0) return ReadData((header >> 5) & 3, CompressedTime(header));
        if ((header & kDefinitionHeader) == 0) return ReadData(header & kLocalType, std::nullopt);
        if (!ReadDefinition(header)) break;
    }
    return std::nullopt;
}

// The five bits of the header are the seconds past the latest time, modulo 32.
std::optional<std::uint32_t> RecordStream::CompressedTime(std::uint8_t header)
{
    if (!lastTime_) return std::nullopt;
    const std::uint32_t offset = header & kTimeOffset;
    std::uint32_t time = (*lastTime_ & ~std::uint32_t{kTimeOffset}) + offset;
    if (offset < (*lastTime_ & kTimeOffset)) time += kTimeOffset + 1;
    return time;
}

bool RecordStream::ReadDefinition(std::uint8_t header)
{
    std::span<const std::uint8_t> bytes;
    if (!Take(5, bytes)) return StopCut(), false;
    const std::uint8_t architecture = bytes[1];
    const std::uint8_t count = bytes[4];
    if (architecture > 1) return Stop(FindingKind::Damaged, "is damaged: a definition of no byte order"), false;
    const bool bigEndian = architecture == 1;
    const auto global = static_cast<std::uint16_t>(bigEndian ? bytes[2] << 8 | bytes[3] : bytes[2] | bytes[3] << 8);
    if (!Take(3u * count, bytes)) return StopCut(), false;
    Definition definition = Laid(global, bigEndian, bytes);
    if ((header & kDeveloperFields) != 0) {
        if (!Take(1, bytes)) return StopCut(), false;
        const std::uint8_t developers = bytes[0];
        if (!Take(3u * developers, bytes)) return StopCut(), false;
        for (std::size_t at = 0; at < bytes.size(); at += 3) definition.size += bytes[at + 1];
        definition.developerFields = developers;
    }
    definitions_[header & kLocalType] = std::move(definition);
    return true;
}

std::optional<Message> RecordStream::ReadData(std::uint8_t local, std::optional<std::uint32_t> headerTime)
{
    if (!definitions_[local]) {
        Stop(FindingKind::Damaged,
             "is damaged: a record of local type " + std::to_string(local) + " has no definition");
        return std::nullopt;
    }
    const Definition& definition = *definitions_[local];
    std::span<const std::uint8_t> bytes;
    if (!Take(definition.size, bytes)) {
        StopCut();
        return std::nullopt;
    }
    developerValues_ += definition.developerFields;
    Message message(definition, bytes, headerTime);
    if (const std::optional<std::uint32_t> time = message.Time()) lastTime_ = time;
    return message;
}

}  // namespace fit
