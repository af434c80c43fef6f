// SPDX-License-Identifier: GPL-3.0-or-later
// Packed inputs built in the tests: gzip bytes and zip archives.
#pragma once

#include <archive.h>
#include <archive_entry.h>
#include <string>
#include <utility>
#include <vector>
#include <zlib.h>

using Members = std::vector<std::pair<std::string, std::string>>;

inline std::string Gzip(const std::string& bytes)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
    std::string packed(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(packed.data());
    stream.avail_out = static_cast<uInt>(packed.size());
    deflate(&stream, Z_FINISH);
    packed.resize(stream.total_out);
    deflateEnd(&stream);
    return packed;
}

// A zip archive of the members, deflated or stored.
inline void WriteZip(const std::string& path, const Members& members, bool stored = false)
{
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    if (stored) archive_write_set_options(a, "zip:compression=store");
    archive_write_open_filename(a, path.c_str());
    for (const auto& [name, bytes] : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, name.c_str());
        archive_entry_set_filetype(entry, AE_IFREG);
        archive_entry_set_perm(entry, 0644);
        archive_entry_set_size(entry, static_cast<la_int64_t>(bytes.size()));
        archive_write_header(a, entry);
        archive_write_data(a, bytes.data(), bytes.size());
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}
