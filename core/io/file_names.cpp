// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/io/file_names.h"

#include <filesystem>

#include "core/text/text_fields.h"

// A name that starts with a dot (".mylog") is a name, not an extension.
std::string ChangeFileExt(const std::string& name, const std::string& newExtension)
{
    return std::filesystem::path(name).replace_extension(newExtension).string();
}

std::string ExtractFileName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

std::string ExtractFileExt(const std::string& path) { return std::filesystem::path(path).extension().string(); }

std::string TrackFileName(const std::string& outputName, int n)
{
    return ChangeFileExt(outputName, "") + "_" + std::to_string(n) + ".plt";
}

std::string NumberedFileName(const std::string& name, int n)
{
    return ChangeFileExt(name, "") + "_" + std::to_string(n) + ExtractFileExt(name);
}

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
    return (std::filesystem::path(folder) / name).string();
}
