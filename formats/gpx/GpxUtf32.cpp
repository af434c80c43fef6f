// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/gpx/GpxUtf32.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <string_view>

#include "core/io/byte_reader.h"

namespace gpx {
namespace {
constexpr std::size_t kInputPiece = 64 << 10;  // bytes of UTF-32 decoded at once

iconv_t Converter(void* converter) { return static_cast<iconv_t>(converter); }
}  // namespace

const char* Utf32Encoding(std::span<const std::uint8_t> head)
{
    using namespace std::string_view_literals;
    const std::string_view start(reinterpret_cast<const char*>(head.data()), std::min<std::size_t>(head.size(), 4));
    // A mark is decoded as one more character, which the parser takes as the mark of its UTF-8.
    if (start == "\xFF\xFE\0\0"sv || start == "<\0\0\0"sv) return "UTF-32LE";
    if (start == "\0\0\xFE\xFF"sv || start == "\0\0\0<"sv) return "UTF-32BE";
    return nullptr;
}

Utf32Source::Utf32Source(ByteReader& file, const char* encoding)
    : file_(file), converter_(iconv_open("UTF-8", encoding))
{
    if (converter_ == reinterpret_cast<void*>(-1)) throw std::bad_alloc();
}

Utf32Source::~Utf32Source() { iconv_close(Converter(converter_)); }

bool Utf32Source::at_end()
{
    if (taken_ == decoded_.size()) Decode();
    return taken_ == decoded_.size();
}

std::size_t Utf32Source::read_some(std::span<std::uint8_t> out)
{
    if (at_end()) return 0;
    const std::size_t count = std::min(out.size(), decoded_.size() - taken_);
    std::copy_n(decoded_.begin() + static_cast<std::ptrdiff_t>(taken_), count, out.begin());
    taken_ += count;
    return count;
}

// The next piece of whole characters; nothing once the input ends or holds
// bytes that are no character.
void Utf32Source::Decode()
{
    decoded_.clear();
    taken_ = 0;
    if (invalid_) return;
    const std::size_t whole = file_.remaining() < kInputPiece ? file_.remaining() : kInputPiece;
    const std::span<const std::uint8_t> input = file_.view(whole - whole % 4);
    if (input.empty()) {
        invalid_ = !file_.at_end();  // a last character cut short
        return;
    }
    decoded_.resize(input.size());  // a character of four bytes takes at most four in UTF-8
    char* in = const_cast<char*>(reinterpret_cast<const char*>(input.data()));
    char* out = reinterpret_cast<char*>(decoded_.data());
    std::size_t inLeft = input.size(), outLeft = decoded_.size();
    if (iconv(Converter(converter_), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) invalid_ = true;
    decoded_.resize(decoded_.size() - outLeft);
    file_.skip(input.size() - inLeft);
}

}  // namespace gpx
