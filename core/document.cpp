// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document.h"

#include <iterator>

std::int64_t Document::TrackPointCount() const
{
    std::int64_t count = 0;
    for (const Track& track : tracks) count += static_cast<std::int64_t>(track.points.size());
    return count;
}

namespace {
void Fill(std::string& mine, const std::string& theirs)
{
    if (mine.empty()) mine = theirs;
}
}  // namespace

void Document::Append(Document&& other)
{
    Metadata& m = metadata;
    const Metadata& o = other.metadata;
    Fill(m.name, o.name);
    Fill(m.description, o.description);
    Fill(m.keywords, o.keywords);
    if (m.author == Person{}) m.author = o.author;
    if (m.copyrightAuthor.empty() && m.copyrightYear.empty() && m.copyrightLicense.empty()) {
        m.copyrightAuthor = o.copyrightAuthor;
        m.copyrightYear = o.copyrightYear;
        m.copyrightLicense = o.copyrightLicense;
    }
    if (m.links.empty()) m.links = o.links;
    if (!m.time) m.time = o.time;
    m.extensions += o.extensions;
    m.fileExtensions += o.fileExtensions;
    m.bounds = m.bounds || o.bounds;
    if (waypoints.empty()) waypoints = std::move(other.waypoints);
    else waypoints.Append(other.waypoints);
    routes.insert(routes.end(), std::make_move_iterator(other.routes.begin()),
                  std::make_move_iterator(other.routes.end()));
    tracks.insert(tracks.end(), std::make_move_iterator(other.tracks.begin()),
                  std::make_move_iterator(other.tracks.end()));
}
