// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/test_files.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/wait.h>

TempDir::TempDir()
{
    std::random_device seed;
    root_ = std::filesystem::temp_directory_path() / ("kes-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(root_);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::permissions(root_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(root_, ignored);
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteText(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary);
    out << content;
}

std::vector<std::string> SplitCrLf(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find("\r\n", start);
        if (end == std::string::npos) end = content.size();
        lines.push_back(content.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

namespace {
std::string CommandLine(const char* program, const std::vector<std::string>& arguments)
{
    std::string command = Quoted(program);
    for (const std::string& a : arguments) command += " " + Quoted(a);
    return command;
}

}  // namespace

std::vector<std::string> LinesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

int RunShell(const std::string& command, std::string& output)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

HeadlessResult RunHeadless(const std::vector<std::string>& arguments)
{
    HeadlessResult result;
    result.exitCode = RunShell(CommandLine(KES_HEADLESS_PATH, arguments) + " 2>&1", result.output);
    result.lines = LinesOf(result.output);
    return result;
}

CommandResult RunConvert(const std::vector<std::string>& arguments) { return RunConvertAfter("", arguments); }

CommandResult RunConvertAfter(const std::string& shellText, const std::vector<std::string>& arguments)
{
    TempDir dir;
    CommandResult result;
    result.exitCode = RunShell(
        shellText + " " + CommandLine(KES_CONVERT_PATH, arguments) + " 2>" + Quoted(dir.Path("err")), result.out);
    result.err = ReadText(dir.Path("err"));
    result.errLines = LinesOf(result.err);
    return result;
}

std::string FixturePath(const std::string& relative) { return std::string(KES_TEST_DATA_DIR) + "/" + relative; }

bool GpxSchemaPresent() { return std::filesystem::exists(KES_GPX_SCHEMA); }

std::string GpxSchemaErrors(const std::string& file)
{
    std::string output;
    const int status =
        RunShell("xmllint --noout --schema " + Quoted(KES_GPX_SCHEMA) + " " + Quoted(file) + " 2>&1", output);
    if (status == 0) return {};
    return output.empty() ? "xmllint did not run" : output;
}

std::string OutputsReadBackErrors(const std::string& gpx, const std::string& kml, const std::string& geojson,
                                  const std::string& csv)
{
    std::string output;
    const std::string command = "python3 " + Quoted(KES_CHECK_OUTPUTS) + " " + Quoted(gpx) + " " + Quoted(kml) + " " +
                                Quoted(geojson) + " " + Quoted(csv) + " 2>&1";
    if (RunShell(command, output) == 0) return {};
    return output.empty() ? "the check did not run" : output;
}
