// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/file_names.h"

#include "core/text_fields.h"

namespace {
std::size_t NameStart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

std::size_t ExtensionStart(const std::string& path)
{
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < NameStart(path)) return path.size();
    return dot;
}
}  // namespace

std::string ChangeFileExt(const std::string& name, const std::string& newExtension)
{
    return name.substr(0, ExtensionStart(name)) + newExtension;
}

std::string ExtractFileName(const std::string& path) { return path.substr(NameStart(path)); }

std::string ExtractFileExt(const std::string& path) { return path.substr(ExtensionStart(path)); }

std::string TrackFileName(const std::string& outputName, int n)
{
    return ChangeFileExt(outputName, "") + "_" + std::to_string(n) + ".plt";
}

std::string NumberedFileName(const std::string& name, int n)
{
    return ChangeFileExt(name, "") + "_" + std::to_string(n) + ExtractFileExt(name);
}

namespace {
thread_local bool exactNames = false;
}

bool ExactNamesInForce() { return exactNames; }

std::string WriterFileName(const std::string& name, const std::string& extension)
{
    return exactNames ? name : ChangeFileExt(name, extension);
}

ScopedExactNames::ScopedExactNames(bool exact) : previous_(exactNames) { exactNames = exact; }
ScopedExactNames::~ScopedExactNames() { exactNames = previous_; }

std::string StripQuotes(const std::string& text)
{
    std::string s = TrimSpaces(text);
    if (s.empty()) return s;
    if (s.front() == '"') s.front() = ' ';
    if (s.back() == '"') s.back() = ' ';
    return TrimSpaces(s);
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return !folder.empty() && folder.back() == '/' ? folder + name : folder + "/" + name;
}
