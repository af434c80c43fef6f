// SPDX-License-Identifier: GPL-3.0-or-later
// The records of a FIT file in order, read as they come, the data messages
// handed over one at a time: a file of any size is read in flat memory.
#pragma once

#include <array>
#include <optional>

#include "core/document/findings.h"
#include "core/io/byte_reader.h"
#include "formats/fit/FitMessages.h"

namespace fit {

class RecordStream {
public:
    // Refuses (InputRefused) a file that does not start with a FIT header.
    RecordStream(ByteReader& file, Findings& findings);
    RecordStream(const RecordStream&) = delete;
    RecordStream& operator=(const RecordStream&) = delete;

    // The next data message, valid until the next call. Nothing at the end of
    // the data, of the files chained after it, or where a record is damaged or
    // cut, which is then a finding.
    std::optional<Message> Next();
    // The values of developers' own fields passed over, which no profile names.
    std::int64_t DeveloperValues() const { return developerValues_; }

private:
    bool StartFile(bool first);
    bool EndFile();
    // Exactly count bytes, added to the checksum; false where the data ends sooner.
    bool Take(std::size_t count, std::span<const std::uint8_t>& bytes);
    bool ReadDefinition(std::uint8_t header);
    std::optional<Message> ReadData(std::uint8_t local, std::optional<std::uint32_t> headerTime);
    std::optional<std::uint32_t> CompressedTime(std::uint8_t header);
    void Stop(FindingKind kind, const std::string& what);
    void StopCut();

    ByteReader& file_;
    Findings& findings_;
    std::array<std::optional<Definition>, 16> definitions_{};
    std::size_t recordAt_ = 0;  // where the record being read starts
    std::size_t dataEnd_ = 0;
    std::size_t openLimit_ = 0;  // the reader's limit outside the data
    std::uint16_t crc_ = 0;
    std::optional<std::uint32_t> lastTime_{};
    bool ended_ = false;
    std::int64_t developerValues_ = 0;
};

}  // namespace fit
