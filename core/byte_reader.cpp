// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/byte_reader.h"

#include "core/input_file.h"

ByteReader ByteReader::FromFile(const std::string& path)
{
    std::shared_ptr<const InputFile> input = InputFile::Open(path);
    ByteReader reader(input->Bytes());
    reader.input_ = std::move(input);
    return reader;
}

void ByteReader::HandBack()
{
    const std::size_t keepFrom = position_ - kKeptBehind;
    if (keepFrom > handedBack_) {
        InputFile::HandBackRange(bytes_.data() + handedBack_, bytes_.data() + keepFrom);
        handedBack_ = keepFrom;
    }
    nextHandBack_ = position_ + kHandBackStep;
}
