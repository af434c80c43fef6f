// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/input_source.h"

#include <cstdint>
#include <span>

InputSource InputSource::File(std::string path) { return InputSource(std::move(path), nullptr); }

InputSource InputSource::Memory(std::string name, std::string bytes)
{
    return InputSource(std::move(name), std::make_shared<const std::string>(std::move(bytes)));
}

InputSource InputSource::Watched(std::shared_ptr<ReadWatch> watch) const
{
    InputSource watched = *this;
    watched.watch_ = std::move(watch);
    return watched;
}

ByteReader InputSource::ReadBytes() const
{
    if (!bytes_) return ByteReader::FromFile(name_, watch_);
    return ByteReader(std::span(reinterpret_cast<const std::uint8_t*>(bytes_->data()), bytes_->size()));
}

LineReader InputSource::ReadLines() const
{
    if (!bytes_) return LineReader::FromFile(name_, watch_);
    return LineReader(*bytes_);
}

LineReader InputSource::ReadLinesOfAnyUnits() const
{
    if (!bytes_) return LineReader::FromFileOfAnyUnits(name_, watch_);
    return LineReader::OfAnyUnits(*bytes_);
}
