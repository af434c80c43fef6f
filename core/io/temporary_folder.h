// SPDX-License-Identifier: GPL-3.0-or-later
// The folder of the files a conversion keeps aside while it runs (spooled
// tracks, an output bound for a pipe): TMPDIR, or /tmp without it; and, when
// that folder cannot be used, the folder of the output being written.
#pragma once

#include <memory>
#include <string>

class OutputFolder;

// The temporary folder's name as the environment gives it.
std::string TemporaryFolderName();

// Raises FileError naming the temporary folder, which cannot be used for the
// reason given.
[[noreturn]] void ThrowTemporaryFolderUnusable(const std::string& systemMessage);

// The folder for named temporary files of the output `forPath`: the
// temporary folder, or `fallback` (a folder, "" for none) when it cannot be
// used. Raises FileError naming the temporary folder when neither can be.
std::shared_ptr<OutputFolder> TemporaryFolderFor(const std::string& forPath, const std::string& fallback);

// A file without a name, gone with its descriptor however the process ends:
// in the temporary folder, or in `fallback` (a folder, "" for none: the
// conversion's ReadContext gives the output's) when that cannot be used.
// Raises FileError naming the temporary folder when neither can be used.
int UnnamedTemporaryFile(const std::string& fallback);

// The folder of an output name that is, or will be, a regular file; empty
// for a device, a pipe or a descriptor, which have no folder of their own:
// the fallback of the unnamed temporary files of its conversion.
std::string FolderOfFileOutput(const std::string& outputName);
