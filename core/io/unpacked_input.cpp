// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/unpacked_input.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "core/io/file_io.h"
#include "core/text/text_fields.h"

namespace {
using namespace std::string_view_literals;

constexpr std::size_t kPackedChunk = 64u << 10;

bool EndsWithNoCase(std::string_view text, std::string_view ending)
{
    return text.size() >= ending.size() && UpperText(text.substr(text.size() - ending.size())) == UpperText(ending);
}

std::uint64_t SizeOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) ThrowFileError(path, errno);
    return static_cast<std::uint64_t>(info.st_size);
}

// The bytes an input expands to, checked as they come: within the bound its
// packed size sets, and not themselves packed.
class ExpansionBound {
public:
    ExpansionBound(std::string path, std::uint64_t packedSize)
        : path_(std::move(path)),
          most_(std::min(kMaxExpandedBytes, packedSize * kMaxExpansionRatio + kExpansionAllowance))
    {}
    void Check(std::uint64_t declared) const
    {
        if (declared > most_) Refuse();
    }
    std::size_t Count(const std::uint8_t* bytes, std::size_t count)
    {
        if (expanded_ == 0 && count > 0 && PackingOf({reinterpret_cast<const char*>(bytes), count}) != Packing::None)
            throw FileError(path_, "An archive inside an archive is not read");
        expanded_ += count;
        if (expanded_ > most_) Refuse();
        return count;
    }

private:
    [[noreturn]] void Refuse() const
    {
        throw FileError(path_, "The packed data expands to over " + std::to_string(most_ >> 20) +
                                   " MB, far more than its size: refused as a decompression bomb");
    }
    std::string path_;
    std::uint64_t most_;
    std::uint64_t expanded_ = 0;
};

// A gzip file, of one member or several one after the other.
class GzipUnpacker final : public Unpacker {
public:
    explicit GzipUnpacker(const std::string& path) : path_(path), bound_(path, SizeOf(path))
    {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) ThrowFileError(path, errno);
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~GzipUnpacker() override
    {
        inflateEnd(&stream_);
        ::close(fd_);
    }
    GzipUnpacker(const GzipUnpacker&) = delete;
    GzipUnpacker& operator=(const GzipUnpacker&) = delete;

    std::size_t Read(std::uint8_t* to, std::size_t count) override
    {
        const auto wanted = static_cast<uInt>(std::min<std::size_t>(count, 1u << 30));
        stream_.next_out = to;
        stream_.avail_out = wanted;
        while (stream_.avail_out == wanted && !ended_) {
            if (stream_.avail_in == 0 && !Fill()) {
                if (memberStarted_) throw FileError(path_, "The compressed file was cut short");
                ended_ = true;
                break;
            }
            memberStarted_ = true;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) NextMember();
            else if (status == Z_DATA_ERROR || status == Z_NEED_DICT)
                throw FileError(path_, std::string("The compressed data is damaged: ") +
                                           (stream_.msg ? stream_.msg : "not deflate data"));
            else if (status == Z_MEM_ERROR) throw std::bad_alloc();
        }
        return bound_.Count(to, wanted - stream_.avail_out);
    }

private:
    bool Fill()
    {
        for (;;) {
            const ssize_t got = ::read(fd_, packed_, sizeof packed_);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) ThrowFileError(path_, errno);
            stream_.next_in = packed_;
            stream_.avail_in = static_cast<uInt>(got);
            return got > 0;
        }
    }
    // Another member may follow; bytes that start none end the file.
    void NextMember()
    {
        memberStarted_ = false;
        if (stream_.avail_in == 0 && !Fill()) {
            ended_ = true;
            return;
        }
        if (stream_.next_in[0] != 0x1F) {
            ended_ = true;
            return;
        }
        inflateReset(&stream_);
    }

    std::string path_;
    ExpansionBound bound_;
    int fd_ = -1;
    z_stream stream_{};
    std::uint8_t packed_[kPackedChunk];
    bool memberStarted_ = false, ended_ = false;
};

struct ArchiveFree {
    void operator()(archive* a) const { archive_read_free(a); }
};
using ArchiveHandle = std::unique_ptr<archive, ArchiveFree>;

[[noreturn]] void ThrowArchiveError(const std::string& path, archive* a)
{
    const char* text = archive_error_string(a);
    throw FileError(path, std::string("The archive is damaged: ") + (text ? text : "it cannot be read"));
}

// `named`: the input its messages are about.
ArchiveHandle OpenArchive(const std::string& path, const std::string& named)
{
    ArchiveHandle a(archive_read_new());
    if (!a) throw std::bad_alloc();
    archive_read_support_format_zip(a.get());
    if (archive_read_open_filename(a.get(), path.c_str(), kPackedChunk) != ARCHIVE_OK)
        ThrowArchiveError(named, a.get());
    return a;
}

// Calls `take` with each regular file of the archive, in its order, until it returns true.
template <typename Take>
void WalkArchive(const std::string& path, archive* a, Take&& take)
{
    std::size_t listed = 0;
    for (;;) {
        archive_entry* entry = nullptr;
        const int status = archive_read_next_header(a, &entry);
        if (status == ARCHIVE_EOF) return;
        if (status < ARCHIVE_WARN) ThrowArchiveError(path, a);
        if (++listed > kMaxArchiveMembers)
            throw FileError(path,
                            "The archive lists more than " + std::to_string(kMaxArchiveMembers) + " files: refused");
        const char* name = archive_entry_pathname(entry);
        if (archive_entry_filetype(entry) == AE_IFREG && name && *name && take(std::string(name), entry)) return;
    }
}

// A member of a zip archive, found by its name.
class ZipMemberUnpacker final : public Unpacker {
public:
    // `named`: the input as it was named, the archive alone or ARCHIVE/MEMBER.
    ZipMemberUnpacker(const std::string& archivePath, const std::string& member, std::string named)
        : path_(std::move(named)), bound_(path_, SizeOf(archivePath)), archive_(OpenArchive(archivePath, path_))
    {
        bool found = false;
        WalkArchive(path_, archive_.get(), [&](const std::string& name, archive_entry* entry) {
            if (name != member) return false;
            if (archive_entry_size_is_set(entry)) bound_.Check(static_cast<std::uint64_t>(archive_entry_size(entry)));
            found = true;
            return true;
        });
        if (!found) throw FileError(path_, "The archive holds no file named " + member);
    }

    std::size_t Read(std::uint8_t* to, std::size_t count) override
    {
        const la_ssize_t got = archive_read_data(archive_.get(), to, count);
        if (got < 0) ThrowArchiveError(path_, archive_.get());
        return bound_.Count(to, static_cast<std::size_t>(got));
    }

private:
    std::string path_;
    ExpansionBound bound_;
    ArchiveHandle archive_;
};

// The member a zip archive named alone stands for: its KML document, or its only file.
std::string ChosenMember(const std::string& archive)
{
    const std::vector<std::string> members = ArchiveMembers(archive);
    if (members.size() > 1)
        throw FileError(archive, "The archive holds " + std::to_string(members.size()) +
                                     " files: name one as ARCHIVE/FILE, or convert each with kes-convert --each");
    return members.front();
}
}  // namespace

Packing PackingOf(std::string_view head)
{
    if (head.starts_with("\x1F\x8B"sv)) return Packing::Gzip;
    if (head.starts_with("PK\x03\x04"sv) || head.starts_with("PK\x05\x06"sv)) return Packing::Zip;
    return Packing::None;
}

Packing PackingOfFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Packing::None;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Packing::None;
    char head[4] = {};
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    ::close(fd);
    return got > 0 ? PackingOf(std::string_view(head, static_cast<std::size_t>(got))) : Packing::None;
}

std::string NameWithoutPacking(const std::string& path)
{
    return EndsWithNoCase(path, ".gz") ? path.substr(0, path.size() - 3) : path;
}

std::optional<MemberPath> SplitMemberPath(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 || errno != ENOTDIR) return std::nullopt;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
        const std::string archive = path.substr(0, slash);
        if (::stat(archive.c_str(), &info) != 0) return std::nullopt;
        if (S_ISREG(info.st_mode)) return MemberPath{archive, path.substr(slash + 1)};
    }
    return std::nullopt;
}

std::vector<std::string> ArchiveMembers(const std::string& archive)
{
    const ArchiveHandle a = OpenArchive(archive, archive);
    std::vector<std::string> members;
    WalkArchive(archive, a.get(), [&members](const std::string& name, archive_entry*) {
        members.push_back(name);
        return false;
    });
    if (EndsWithNoCase(archive, ".kmz")) {
        std::string chosen;
        for (const std::string& name : members)
            if (name == "doc.kml" || (chosen.empty() && EndsWithNoCase(name, ".kml"))) chosen = name;
        if (chosen.empty()) throw FileError(archive, "The KMZ file holds no KML document");
        return {chosen};
    }
    if (members.empty()) throw FileError(archive, "The archive holds no file to read");
    return members;
}

std::unique_ptr<Unpacker> Unpacker::For(const std::string& path, std::string_view head)
{
    switch (PackingOf(head)) {
    case Packing::Gzip: return std::make_unique<GzipUnpacker>(path);
    case Packing::Zip: return std::make_unique<ZipMemberUnpacker>(path, ChosenMember(path), path);
    case Packing::None: break;
    }
    if (!head.empty()) return nullptr;
    if (const auto member = SplitMemberPath(path); member && PackingOfFile(member->archive) == Packing::Zip)
        return std::make_unique<ZipMemberUnpacker>(member->archive, member->member, path);
    return nullptr;
}
