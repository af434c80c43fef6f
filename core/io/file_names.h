// SPDX-License-Identifier: GPL-3.0-or-later
// File-name texts: extensions, the name part of a path, quotes from a field.
#pragma once

#include <string>

// Replaces the extension of the last path component (from its last '.', one
// that does not start the name) by newExtension (which includes its dot), or
// appends it when there is none: ".mylog" becomes ".mylog.plt".
std::string ChangeFileExt(const std::string& name, const std::string& newExtension);
// The name without its folder.
std::string ExtractFileName(const std::string& path);
// The extension of the last path component, dot included; empty when none
// (".mylog" has none).
std::string ExtractFileExt(const std::string& path);
// Name for track number n of a reader that writes one file per track:
// the output name without its extension, "_", n and ".plt".
std::string TrackFileName(const std::string& outputName, int n);
// Name for file n of an output of several files named exactly (the
// command's -O NAME): NAME without its extension, "_", n and NAME's extension.
std::string NumberedFileName(const std::string& name, int n);

// name in folder, with one '/' between them.
std::string JoinPath(const std::string& folder, const std::string& name);
// Trims blanks, turns a leading and a trailing double quote into blanks and trims again.
std::string StripQuotes(const std::string& text);
