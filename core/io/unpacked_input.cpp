// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/unpacked_input.h"

#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <zlib.h>

#include "core/io/file_io.h"
#include "core/io/read_watch.h"
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

// The packed bytes an unpacker reads: a file from its start, or a pipe (or
// bytes in memory) from the bytes a first look took of it on.
class PackedBytes {
public:
    explicit PackedBytes(const std::string& path) : path_(path), size_(SizeOf(path))
    {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) ThrowFileError(path, errno);
        owned_ = true;
    }
    // `fd` (none: -1) stays its owner's.
    PackedBytes(std::string name, int fd, std::string head, std::shared_ptr<ReadWatch> watch)
        : path_(std::move(name)), head_(std::move(head)), fd_(fd), watch_(std::move(watch))
    {}
    ~PackedBytes()
    {
        if (owned_) ::close(fd_);
    }
    PackedBytes(const PackedBytes&) = delete;
    PackedBytes& operator=(const PackedBytes&) = delete;

    // Up to count bytes; 0 at the end.
    std::size_t Read(std::uint8_t* to, std::size_t count)
    {
        if (headAt_ < head_.size()) {
            const std::size_t taken = std::min(count, head_.size() - headAt_);
            std::memcpy(to, head_.data() + headAt_, taken);
            headAt_ += taken;
            read_ += taken;
            return taken;
        }
        if (fd_ < 0) return 0;
        for (;;) {
            const ssize_t got = ::read(fd_, to, count);
            if (got >= 0) {
                read_ += static_cast<std::uint64_t>(got);
                return static_cast<std::size_t>(got);
            }
            if (errno == EINTR) {
                if (watch_) watch_->StopIfAsked();  // a pipe no one writes into
                continue;
            }
            if (errno == EAGAIN || errno == EWOULDBLOCK) {  // left non-blocking by whoever gave it
                pollfd ready{fd_, POLLIN, 0};
                ::poll(&ready, 1, -1);
                continue;
            }
            ThrowFileError(path_, errno);
        }
    }
    // The size the expansion is measured by: a file's, or what a pipe gave so far.
    std::uint64_t Measure() const { return size_ ? *size_ : read_; }
    bool SizeKnown() const { return size_.has_value(); }
    const std::string& Name() const { return path_; }

private:
    std::string path_;
    std::optional<std::uint64_t> size_;
    std::string head_;
    std::size_t headAt_ = 0;
    int fd_ = -1;
    bool owned_ = false;
    std::uint64_t read_ = 0;
    std::shared_ptr<ReadWatch> watch_;
};

// The bytes an input expands to, checked as they come: within the bound its
// packed size sets (a pipe's, as far as it was read), and not themselves packed.
class ExpansionBound {
public:
    ExpansionBound(std::string path, std::uint64_t packedSize) : path_(std::move(path)), size_(packedSize) {}
    ExpansionBound(std::string path, const PackedBytes& packed) : path_(std::move(path)), packed_(&packed) {}
    // A size the archive declares, before a byte is expanded; a pipe's packed
    // size is not known yet, and only the last bound applies.
    void Check(std::uint64_t declared) const
    {
        if (declared > (!packed_ || packed_->SizeKnown() ? Most() : kMaxExpandedBytes)) Refuse();
    }
    std::size_t Count(const std::uint8_t* bytes, std::size_t count)
    {
        if (expanded_ == 0 && count > 0 && PackingOf({reinterpret_cast<const char*>(bytes), count}) != Packing::None)
            throw FileError(path_, "An archive inside an archive is not read");
        expanded_ += count;
        if (expanded_ > Most()) Refuse();
        return count;
    }

private:
    std::uint64_t Most() const
    {
        const std::uint64_t packed = packed_ ? packed_->Measure() : size_;
        return std::min(kMaxExpandedBytes, packed * kMaxExpansionRatio + kExpansionAllowance);
    }
    [[noreturn]] void Refuse() const
    {
        throw FileError(path_, "The packed data expands to over " + std::to_string(Most() >> 20) +
                                   " MB, far more than its size: refused as a decompression bomb");
    }
    std::string path_;
    std::uint64_t size_ = 0;
    const PackedBytes* packed_ = nullptr;  // a stream's, measured as it is read
    std::uint64_t expanded_ = 0;
};

// A gzip file, of one member or several one after the other.
class GzipUnpacker final : public Unpacker {
public:
    explicit GzipUnpacker(std::unique_ptr<PackedBytes> packed)
        : packed_(std::move(packed)), bound_(packed_->Name(), *packed_)
    {
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) throw std::bad_alloc();
    }
    ~GzipUnpacker() override { inflateEnd(&stream_); }
    GzipUnpacker(const GzipUnpacker&) = delete;
    GzipUnpacker& operator=(const GzipUnpacker&) = delete;

    std::size_t Read(std::uint8_t* to, std::size_t count) override
    {
        const auto wanted = static_cast<uInt>(std::min<std::size_t>(count, 1u << 30));
        stream_.next_out = to;
        stream_.avail_out = wanted;
        while (stream_.avail_out == wanted && !ended_) {
            if (stream_.avail_in == 0 && !Fill()) {
                if (memberStarted_) throw FileError(packed_->Name(), "The compressed file was cut short");
                ended_ = true;
                break;
            }
            memberStarted_ = true;
            const int status = inflate(&stream_, Z_NO_FLUSH);
            if (status == Z_STREAM_END) NextMember();
            else if (status == Z_DATA_ERROR || status == Z_NEED_DICT)
                throw FileError(packed_->Name(), std::string("The compressed data is damaged: ") +
                                                     (stream_.msg ? stream_.msg : "not deflate data"));
            else if (status == Z_MEM_ERROR) throw std::bad_alloc();
        }
        return bound_.Count(to, wanted - stream_.avail_out);
    }

private:
    bool Fill()
    {
        const std::size_t got = packed_->Read(packedChunk_, sizeof packedChunk_);
        stream_.next_in = packedChunk_;
        stream_.avail_in = static_cast<uInt>(got);
        return got > 0;
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

    std::unique_ptr<PackedBytes> packed_;
    ExpansionBound bound_;
    z_stream stream_{};
    std::uint8_t packedChunk_[kPackedChunk];
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

// The file of a zip archive that comes through a pipe, read as it comes: its
// first regular file, which must be its only one, or the KML document a KMZ
// starts with (its images follow it).
class StreamedZipUnpacker final : public Unpacker {
public:
    explicit StreamedZipUnpacker(std::unique_ptr<PackedBytes> packed)
        : packed_(std::move(packed)), bound_(packed_->Name(), *packed_), archive_(archive_read_new())
    {
        if (!archive_) throw std::bad_alloc();
        archive_read_support_format_zip(archive_.get());
        bool found = false;
        Guarded([&] {
            if (archive_read_open(archive_.get(), this, nullptr, ReadPacked, nullptr) != ARCHIVE_OK)
                ThrowArchiveError(packed_->Name(), archive_.get());
            WalkArchive(packed_->Name(), archive_.get(), [&](const std::string& name, archive_entry* entry) {
                if (archive_entry_size_is_set(entry))
                    bound_.Check(static_cast<std::uint64_t>(archive_entry_size(entry)));
                kml_ = EndsWithNoCase(name, ".kml");
                found = true;
                return true;
            });
        });
        if (!found) throw FileError(packed_->Name(), "The archive holds no file to read");
    }

    std::size_t Read(std::uint8_t* to, std::size_t count) override
    {
        if (ended_) return 0;
        la_ssize_t got = 0;
        Guarded([&] {
            got = archive_read_data(archive_.get(), to, count);
            if (got < 0) ThrowArchiveError(packed_->Name(), archive_.get());
        });
        if (got == 0) {
            EnsureAlone();
            ended_ = true;
        }
        return bound_.Count(to, static_cast<std::size_t>(got));
    }

private:
    // A pipe's archive of several files names none of them: it is refused
    // once the first is read, before its reading counts as done.
    void EnsureAlone()
    {
        if (kml_) return;
        bool another = false;
        Guarded([&] {
            WalkArchive(packed_->Name(), archive_.get(), [&](const std::string&, archive_entry*) {
                another = true;
                return true;
            });
        });
        if (another)
            throw FileError(packed_->Name(), "The archive holds several files: through a pipe, an archive is read "
                                             "only when it holds one, or is a KMZ file");
    }

    // Runs a call into the archive library; an error of the packed bytes'
    // read (or a stop asked for), held while the library unwound, is raised
    // in place of the library's own.
    template <typename Call>
    void Guarded(Call&& call)
    {
        try {
            call();
        } catch (const FileError&) {
            if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
            throw;
        }
        if (error_) std::rethrow_exception(std::exchange(error_, nullptr));
    }

    // Called by the library: nothing may be thrown through it.
    static la_ssize_t ReadPacked(archive* a, void* self, const void** buffer)
    {
        auto* me = static_cast<StreamedZipUnpacker*>(self);
        try {
            *buffer = me->chunk_;
            return static_cast<la_ssize_t>(me->packed_->Read(me->chunk_, sizeof me->chunk_));
        } catch (...) {
            me->error_ = std::current_exception();
            archive_set_error(a, EIO, "the packed bytes could not be read");
            return -1;
        }
    }

    std::unique_ptr<PackedBytes> packed_;
    ExpansionBound bound_;
    ArchiveHandle archive_;
    std::exception_ptr error_;
    std::uint8_t chunk_[kPackedChunk];
    bool kml_ = false, ended_ = false;
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
    case Packing::Gzip: return std::make_unique<GzipUnpacker>(std::make_unique<PackedBytes>(path));
    case Packing::Zip: return std::make_unique<ZipMemberUnpacker>(path, ChosenMember(path), path);
    case Packing::None: break;
    }
    if (!head.empty()) return nullptr;
    if (const auto member = SplitMemberPath(path); member && PackingOfFile(member->archive) == Packing::Zip)
        return std::make_unique<ZipMemberUnpacker>(member->archive, member->member, path);
    return nullptr;
}

std::unique_ptr<Unpacker> Unpacker::OfStream(const std::string& name, int fd, std::string head,
                                             std::shared_ptr<ReadWatch> watch)
{
    switch (PackingOf(head)) {
    case Packing::Gzip:
        return std::make_unique<GzipUnpacker>(
            std::make_unique<PackedBytes>(name, fd, std::move(head), std::move(watch)));
    case Packing::Zip:
        return std::make_unique<StreamedZipUnpacker>(
            std::make_unique<PackedBytes>(name, fd, std::move(head), std::move(watch)));
    case Packing::None: break;
    }
    return nullptr;
}

bool MayBePacked(std::string_view head)
{
    for (const std::string_view magic : {"\x1F\x8B"sv, "PK\x03\x04"sv, "PK\x05\x06"sv})
        if (magic.starts_with(head.substr(0, magic.size()))) return true;
    return false;
}
