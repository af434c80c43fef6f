// SPDX-License-Identifier: GPL-3.0-or-later
// Temporary folders, whole-file reads and writes, and the programs run as
// processes: the headless runner and kes-convert.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    const std::filesystem::path& Root() const { return root_; }

private:
    std::filesystem::path root_;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& content);
std::vector<std::string> SplitCrLf(const std::string& content);

struct HeadlessResult {
    int exitCode = -1;
    std::string output;
    std::vector<std::string> lines;
};
// Runs kes-headless with the arguments (each quoted for the shell).
HeadlessResult RunHeadless(const std::vector<std::string>& arguments);

struct CommandResult {
    int exitCode = -1;
    std::string out;                    // standard output
    std::string err;                    // standard error
    std::vector<std::string> errLines;  // standard error, line by line
};
// A text line by line, without the line ends.
std::vector<std::string> LinesOf(const std::string& text);
// Runs a shell command; its standard output, and its exit status or -1.
int RunShell(const std::string& command, std::string& output);
// Runs kes-convert with the arguments, its two output streams apart.
CommandResult RunConvert(const std::vector<std::string>& arguments);
// The same after a shell text ("cat log |", "timeout 30"); Quoted makes a name safe in it.
CommandResult RunConvertAfter(const std::string& shellText, const std::vector<std::string>& arguments);
std::string Quoted(const std::string& text);

// A real file from other programs, kept in tests/data (never edited).
std::string FixturePath(const std::string& relative);

// The published GPX 1.1 schema beside the project, and what xmllint finds
// wrong with a file against it: empty when the file is valid.
bool GpxSchemaPresent();
std::string GpxSchemaErrors(const std::string& file);

// What independent readers (tests/outputs/check_outputs.py: ogrinfo, gpsbabel,
// xmllint, Python's json and csv) find different in the KML, GeoJSON and CSV
// files from the GPX file of the same store: empty when nothing.
std::string OutputsReadBackErrors(const std::string& gpx, const std::string& kml, const std::string& geojson,
                                  const std::string& csv);
