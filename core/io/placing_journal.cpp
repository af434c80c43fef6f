// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/placing_journal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fcntl.h>
#include <set>
#include <unistd.h>

#include "core/io/disk_flush.h"
#include "core/io/file_io.h"
#include "core/io/output_target.h"
#include "core/io/path_walk.h"

namespace {
constexpr std::string_view kFirstLine = "kes-convert placing journal 1";
constexpr std::size_t kMaxNameBytes = 255;
constexpr char kHexDigits[] = "0123456789abcdef";

// FNV-1a: any one byte changed changes it.
std::uint64_t Check(std::string_view bytes)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 15];
    }
    return text;
}

std::string CheckLine(std::string_view before)
{
    char line[32];
    std::snprintf(line, sizeof line, "check %016llx", static_cast<unsigned long long>(Check(before)));
    return line;
}

// The words of a line, split at single blanks; none may be empty.
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    for (std::size_t from = 0;;) {
        const std::size_t blank = line.find(' ', from);
        words.push_back(line.substr(from, blank - from));
        if (blank == std::string_view::npos) return words;
        from = blank + 1;
    }
}

// A decimal number as written here: digits only, no leading zero, no overflow.
bool Number(std::string_view text, std::uint64_t& value)
{
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A name in lowercase hexadecimal, a valid name in a folder.
bool Name(std::string_view hex, std::string& name)
{
    if (hex.empty() || hex.size() % 2 != 0 || hex.size() > 2 * kMaxNameBytes) return false;
    name.clear();
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
        if (high < 0 || low < 0) return false;
        const char c = static_cast<char>(high * 16 + low);
        if (c == '/' || c == '\0') return false;
        name += c;
    }
    return name != "." && name != "..";
}

// A temporary file's name (not a journal's), with nothing after it.
bool TemporaryName(std::string_view word)
{
    const std::string name(word);
    return name.find('\0') == std::string::npos && IsTemporaryName(name.c_str()) && !IsJournalName(name.c_str());
}

bool Entry(std::string_view line, PlacingEntry& entry)
{
    const std::vector<std::string_view> words = Words(line);
    std::uint64_t replaces = 0;
    if (words.size() != 8 || !Number(words[0], entry.set) || !TemporaryName(words[1]) ||
        !Number(words[2], entry.device) || !Number(words[3], entry.inode) || !Number(words[4], entry.size) ||
        !Number(words[5], replaces) || replaces > 1 || !Number(words[6], entry.oldInode) ||
        (replaces == 0 && entry.oldInode != 0) || !Name(words[7], entry.name))
        return false;
    entry.temporary = words[1];
    entry.replaces = replaces == 1;
    return true;
}

// The next line, without its LF; false when none ends.
bool NextLine(std::string_view text, std::size_t& at, std::string_view& line)
{
    const std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) return false;
    line = text.substr(at, end - at);
    at = end + 1;
    return true;
}

JournalRead Refused(std::string problem) { return {{}, std::move(problem)}; }
}  // namespace

std::size_t JournalSizeBound()
{
    const std::size_t line = 5 * 21 + 17 + 1 + 2 + 2 * kMaxNameBytes + 1;
    return kFirstLine.size() + 32 + kMaxJournalEntries * line + 32;
}

std::string JournalText(std::span<const PlacingEntry> entries)
{
    std::string text = std::string(kFirstLine) + "\nentries " + std::to_string(entries.size()) + "\n";
    for (const PlacingEntry& e : entries)
        text += std::to_string(e.set) + " " + e.temporary + " " + std::to_string(e.device) + " " +
                std::to_string(e.inode) + " " + std::to_string(e.size) + (e.replaces ? " 1 " : " 0 ") +
                std::to_string(e.oldInode) + " " + Hex(e.name) + "\n";
    return text + CheckLine(text) + "\n";
}

JournalRead ReadJournal(std::string_view text)
{
    if (text.size() > JournalSizeBound()) return Refused("it is longer than a journal can be");
    std::size_t at = 0;
    std::string_view line;
    if (!NextLine(text, at, line) || line != kFirstLine) return Refused("its first line is not a journal's");
    std::uint64_t count = 0;
    if (!NextLine(text, at, line) || line.substr(0, 8) != "entries " || !Number(line.substr(8), count) || count == 0 ||
        count > kMaxJournalEntries)
        return Refused("its count of files is missing or out of range");
    JournalRead read;
    std::set<std::string> temporaries, names;
    for (std::uint64_t i = 0; i < count; ++i) {
        PlacingEntry entry;
        if (!NextLine(text, at, line)) return Refused("it ends before its last file");
        if (!Entry(line, entry)) return Refused("file " + std::to_string(i + 1) + " is not a file's record");
        const std::uint64_t set = read.entries.empty() ? 0 : read.entries.back().set;
        if (entry.set != set && entry.set != set + 1)
            return Refused("file " + std::to_string(i + 1) + " is numbered out of order");
        if (!temporaries.insert(entry.temporary).second || !names.insert(entry.name).second)
            return Refused("file " + std::to_string(i + 1) + " repeats a name");
        read.entries.push_back(std::move(entry));
    }
    const std::size_t checked = at;
    if (!NextLine(text, at, line)) return Refused("it ends before its check");
    if (line != CheckLine(text.substr(0, checked))) return Refused("its check does not match what it holds");
    if (at != text.size()) return Refused("something follows its check");
    return read;
}

void PlacingJournals::Add(std::uint64_t set, std::shared_ptr<OutputFolder> folder, std::vector<PlacingEntry> entries,
                          const std::string& forPath)
{
    const auto same = [&](const Journal& j) { return j.folder->SameAs(*folder); };
    auto journal = std::find_if(journals_.begin(), journals_.end(), same);
    if (journal == journals_.end())
        journal = journals_.insert(journals_.end(), {std::move(folder), forPath, {}, {}, {}});
    // Numbered in the journal from 0 up; the commit's number kept for Holds.
    const std::uint64_t number = journal->sets.size();
    journal->sets.push_back(set);
    for (PlacingEntry& entry : entries) {
        entry.set = number;
        journal->entries.push_back(std::move(entry));
    }
}

bool PlacingJournals::Holds(std::uint64_t set) const
{
    return std::any_of(journals_.begin(), journals_.end(),
                       [&](const Journal& j) { return std::find(j.sets.begin(), j.sets.end(), set) != j.sets.end(); });
}

void PlacingJournals::Complete()
{
    for (Journal& journal : journals_) {
        int fd = -1;
        journal.file = TemporaryFile(journal.folder, 0600, journal.forPath, fd);
        const Descriptor file(fd);
        if (const int error = WriteFully(fd, JournalText(journal.entries))) ThrowFileError(journal.forPath, error);
    }
    // Each is held open until its flush: a few hundred at a time.
    constexpr std::size_t kAtOnce = 256;
    for (std::size_t from = 0; from < journals_.size(); from += kAtOnce) {
        std::vector<Descriptor> open;
        std::vector<int> descriptors;
        for (std::size_t i = from; i < std::min(journals_.size(), from + kAtOnce); ++i) {
            const TemporaryFile& file = journals_[i].file;
            Descriptor fd(::openat(file.Folder().Descriptor(), file.Name(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
            if (!fd) ThrowFileError(journals_[i].forPath, errno);
            descriptors.push_back(fd.Get());
            open.push_back(std::move(fd));
        }
        if (const auto failure = FlushFilesToDisk(descriptors))
            ThrowFileError(journals_[from + failure->index].forPath, failure->error);
    }
    for (Journal& journal : journals_) {
        journal.file.ChangeEnding(kJournalEnding, journal.forPath);
        if (::fsync(journal.folder->Descriptor()) != 0) ThrowFileError(journal.forPath, errno);
    }
}

void PlacingJournals::FlushFolders() const
{
    for (const Journal& journal : journals_) journal.folder->Flush();
}
