// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/text/code_page.h"

#include <iconv.h>
#include <uchardet/uchardet.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <unordered_map>
#include <vector>

#include "core/text/text_encoding.h"

namespace {
constexpr char32_t kUndefined = 0xFFFD;

std::string Lower(std::string_view name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower;
}

// The 8-bit formats are written on Windows, whose Greek and Central European
// code pages share the letters of the ISO ones the detector tells apart no
// better; the Windows page places some of them (Ž, ź, ś, ą) in bytes the ISO
// page makes control characters or other letters.
std::string WindowsPageOf(const std::string& guessed)
{
    const std::string lower = Lower(guessed);
    if (lower == "iso-8859-7") return "windows-1253";
    if (lower == "iso-8859-2") return "windows-1250";
    return guessed;
}

bool NamesWindows1252(const std::string& lower)
{
    // ISO-8859-1 is its subset: files that call their text Latin-1 hold 1252.
    for (const char* name : {"windows-1252", "cp1252", "1252", "ms-ansi", "iso-8859-1", "iso8859-1", "latin1"})
        if (lower == name) return true;
    return false;
}

class Iconv {
public:
    Iconv(const std::string& to, const std::string& from) : cd_(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv()
    {
        if (Opened()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Opened() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Converts what it can of `in` from `at` into `out`; the errno of the stop (0: all of it).
    int Convert(std::string_view in, std::size_t& at, std::string& out) const
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        while (at < in.size()) {
            char buffer[256];
            char* source = const_cast<char*>(in.data() + at);
            std::size_t left = in.size() - at;
            char* target = buffer;
            std::size_t room = sizeof buffer;
            const std::size_t done = iconv(cd_, &source, &left, &target, &room);
            out.append(buffer, static_cast<std::size_t>(target - buffer));
            at = in.size() - left;
            if (done == static_cast<std::size_t>(-1) && errno != E2BIG) return errno;
        }
        return 0;
    }

private:
    iconv_t cd_;
};
}  // namespace

UnknownCodePage::UnknownCodePage(const std::string& name)
    : std::invalid_argument("unknown code page '" + name + "' ('iconv -l' lists the names known)")
{}

// A single-byte code page keeps a table of its 128 upper bytes, made by
// iconv once; any other goes through iconv text by text.
struct CodePage::Codec {
    Codec(const std::string& name) : toUtf8("UTF-8", name), fromUtf8(name, "UTF-8") {}
    Iconv toUtf8, fromUtf8;
    bool utf8 = false;
    bool singleByte = false;
    std::array<char32_t, 128> upper{};
    std::unordered_map<char32_t, char> bytes;
};

CodePage::CodePage() = default;

CodePage CodePage::Open(std::string_view given)
{
    CodePage page;
    page.name_ = Lower(given);
    if (NamesWindows1252(page.name_)) return page;
    if (page.name_.empty()) throw UnknownCodePage(std::string(given));  // iconv's locale code page
    auto codec = std::make_shared<Codec>(page.name_);
    if (!codec->toUtf8.Opened() || !codec->fromUtf8.Opened()) throw UnknownCodePage(std::string(given));
    std::string ascii;
    for (char c = ' '; c <= '~'; ++c) ascii += c;
    std::string decoded;
    std::size_t at = 0;
    if (codec->toUtf8.Convert(ascii, at, decoded) != 0 || decoded != ascii) throw UnknownCodePage(std::string(given));
    std::string probe = "\xC3\xA9";  // é: UTF-8 is the code page that keeps its two bytes
    at = 0;
    decoded.clear();
    codec->utf8 = codec->fromUtf8.Convert(probe, at, decoded) == 0 && decoded == probe;
    codec->singleByte = !codec->utf8;
    for (int byte = 0x80; codec->singleByte && byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        std::string utf8;
        at = 0;
        const int stop = codec->toUtf8.Convert(one, at, utf8);
        if (stop == EINVAL) codec->singleByte = false;  // the lead byte of a longer sequence
        char32_t codePoint = kUndefined;
        if (stop == 0 && !utf8.empty() && DecodeUtf8At(utf8, 0, codePoint) != utf8.size()) codePoint = kUndefined;
        if (stop != 0 || utf8.empty()) codePoint = byte < 0xA0 ? static_cast<char32_t>(byte) : kUndefined;
        codec->upper[byte - 0x80] = codePoint;
        if (codePoint != kUndefined) codec->bytes.emplace(codePoint, static_cast<char>(byte));
    }
    page.codec_ = std::move(codec);
    return page;
}

bool CodePage::IsUtf8() const { return codec_ && codec_->utf8; }

bool CodePage::SingleByte() const { return !codec_ || codec_->singleByte; }

std::string CodePage::Decode(std::string_view bytes) const
{
    if (!codec_) return LegacyToUtf8(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    if (codec_->singleByte) {
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x80) out += c;
            else AppendUtf8(out, codec_->upper[byte - 0x80]);
        }
        return out;
    }
    for (std::size_t at = 0; at < bytes.size();) {
        if (codec_->toUtf8.Convert(bytes, at, out) == 0) break;
        AppendUtf8(out, kUndefined);  // a byte that starts no character of the code page
        ++at;
    }
    return out;
}

std::string CodePage::Encode(std::string_view utf8, std::int64_t& unheld) const
{
    std::string out;
    out.reserve(utf8.size());
    const auto broken = [&](std::string_view character) {
        return character.data() < utf8.data() || character.data() >= utf8.data() + utf8.size();
    };
    WalkUtf8(utf8, [&](char32_t codePoint, std::string_view character) {
        if (broken(character)) {  // WalkUtf8 gives its own U+FFFD for a broken sequence
            ++unheld;
            out += kReplacementCharacter;
        } else if (codec_ && codec_->utf8) {
            out += character;
        } else if (codePoint < 0x80) {
            out += static_cast<char>(codePoint);
        } else if (codePoint < 0xA0) {
            out += static_cast<char>(codePoint);
        } else if (!codec_) {
            const std::string legacy = Utf8ToLegacy(character);
            if (legacy == "?") ++unheld;
            out += legacy;
        } else if (codec_->singleByte) {
            const auto found = codec_->bytes.find(codePoint);
            if (found == codec_->bytes.end()) ++unheld;
            out += found == codec_->bytes.end() ? kReplacementCharacter : found->second;
        } else {
            std::size_t at = 0;
            if (codec_->fromUtf8.Convert(character, at, out) != 0) {
                ++unheld;
                out += kReplacementCharacter;
            }
        }
    });
    return out;
}

CodePageGuess GuessCodePage(std::string_view texts)
{
    const auto nonAscii =
        static_cast<std::size_t>(std::count_if(texts.begin(), texts.end(), [](char c) { return (c & 0x80) != 0; }));
    if (nonAscii == 0) return {};
    if (IsUtf8(texts)) return {CodePage::Open("utf-8"), true};
    if (nonAscii < kShortestGuessed) return {};
    const uchardet_t detector = uchardet_new();
    // A guess over this much text is as good as over all of it, and takes a fixed time.
    constexpr std::size_t kGuessedBytes = 32 * 1024;
    std::string_view sample = texts.substr(0, kGuessedBytes);
    if (sample.size() < texts.size() && sample.rfind('\n') != std::string_view::npos)
        sample = sample.substr(0, sample.rfind('\n') + 1);
    uchardet_handle_data(detector, sample.data(), sample.size());
    uchardet_data_end(detector);
    const std::string name = uchardet_get_charset(detector);
    uchardet_delete(detector);
    if (name.empty()) return {};
    try {
        CodePage page = CodePage::Open(WindowsPageOf(name));
        // A multibyte guess (East Asian) over texts that are not UTF-8 is no
        // code page these formats were written in: the fallback holds.
        if (!page.SingleByte()) return {};
        return {std::move(page), true};
    } catch (const UnknownCodePage&) {
        return {};
    }
}

std::string CodePageRepairName(const CodePageGuess& used)
{
    return "code page " + used.codePage.Name() + (used.guessed ? " (guessed)" : "");
}
