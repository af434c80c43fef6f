// SPDX-License-Identifier: GPL-3.0-or-later
// Inputs packed in a gzip file or a zip archive, read as the bytes they hold:
// a gzip file (told by its first bytes, whatever its name) through zlib, a
// member of a zip archive through libarchive, named "ARCHIVE/MEMBER" as if
// the archive were a folder; a pipe whose first bytes say it is packed alike. Decompressed as a stream, never held whole: the
// bytes expanded are bounded by the packed size (a decompression bomb is
// refused), an archive's members by their count, and an archive inside an
// archive is not read.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io/read_watch.h"

// The most bytes one input may expand to: this many times its packed size,
// plus an allowance for small files that compress very well.
inline constexpr std::uint64_t kMaxExpansionRatio = 200;
inline constexpr std::uint64_t kExpansionAllowance = 16u << 20;
inline constexpr std::uint64_t kMaxExpandedBytes = std::uint64_t{4} << 30;
// The most members an archive may list.
inline constexpr std::size_t kMaxArchiveMembers = 10000;

enum class Packing { None, Gzip, Zip };

// What the first bytes of a file say it is packed in.
Packing PackingOf(std::string_view head);
// The bytes a look has read so far may start a packed input: more are needed to tell.
bool MayBePacked(std::string_view head);
// The bytes a look needs at most to tell a packing.
inline constexpr std::size_t kPackingHeadSize = 4;

// What the first bytes of the file at path say, as they are on disk; None
// for a path that names no regular file or one that cannot be read.
Packing PackingOfFile(const std::string& path);

// The name an input is known by inside its packing: without a ".gz" ending.
std::string NameWithoutPacking(const std::string& path);

struct MemberPath {
    std::string archive, member;
};
// "ARCHIVE/MEMBER" where ARCHIVE is a regular file (so that the path names
// nothing on disk); nothing for any other path.
std::optional<MemberPath> SplitMemberPath(const std::string& path);

// The regular files an archive lists, in its order: for a .kmz only its
// KML document ("doc.kml", else its first .kml). FileError when the archive
// cannot be read, lists too many, or none.
std::vector<std::string> ArchiveMembers(const std::string& archive);

// The decompressed bytes of one packed input, in order.
class Unpacker {
public:
    virtual ~Unpacker() = default;
    // Up to count bytes into `to`; 0 at the end. FileError when the packed
    // data is damaged, cut short, expands beyond its bound or is itself packed.
    virtual std::size_t Read(std::uint8_t* to, std::size_t count) = 0;

    // The unpacker of what `path` names when it is packed: a gzip file, a zip
    // archive (its one member, or a .kmz's KML document) or "ARCHIVE/MEMBER";
    // none for an input read as it is. `head` holds the file's first bytes
    // (empty for a path that names no file).
    static std::unique_ptr<Unpacker> For(const std::string& path, std::string_view head);
    // The unpacker of a pipe or device (fd; -1: the bytes of `head` are all
    // there is) whose first bytes, read already, are `head`, when they say it
    // is packed: a gzip stream, or a zip archive of one file (or a KMZ, its
    // KML document) read as it comes; none for an input read as it is. The
    // expansion is bounded by the packed bytes read so far. `fd` stays its
    // owner's; `name` is the input's, for messages; a stop asked of `watch`
    // ends a wait for a pipe no one writes into.
    static std::unique_ptr<Unpacker> OfStream(const std::string& name, int fd, std::string head,
                                              std::shared_ptr<ReadWatch> watch = nullptr);
};
