// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/document/findings.h"

#include <algorithm>

void Findings::Add(FindingKind kind, std::string message, std::int64_t count, std::string source)
{
    for (Finding& f : items_)
        if (f.kind == kind && f.message == message && f.source == source) {
            f.count += count;
            return;
        }
    items_.push_back({kind, std::move(message), count, std::move(source)});
}

void Findings::Attribute(const std::string& source)
{
    for (Finding& f : items_)
        if (f.source.empty()) f.source = source;
}

void Findings::Add(const Findings& other)
{
    for (const Finding& f : other.items_) Add(f);
}

bool Findings::LeaveDataOut() const
{
    return std::any_of(items_.begin(), items_.end(), [](const Finding& f) { return f.LeavesDataOut(); });
}

std::int64_t Findings::CountOf(FindingKind kind) const
{
    std::int64_t count = 0;
    for (const Finding& f : items_)
        if (f.kind == kind) count += f.count;
    return count;
}

bool Findings::Holds(FindingKind kind) const
{
    return std::any_of(items_.begin(), items_.end(), [&](const Finding& f) { return f.kind == kind; });
}

void Findings::Remove(FindingKind kind)
{
    std::erase_if(items_, [&](const Finding& f) { return f.kind == kind; });
}
