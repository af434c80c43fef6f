// SPDX-License-Identifier: GPL-3.0-or-later
// kes-headless INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT_NAME [MORE_INPUT_NAMES...]
// A format is its position in its list or its name (kes-convert --list-formats).
// Runs the Convert action with a front end that prints what the window would show.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include "core/catalogue.h"
#include "core/clock.h"
#include "core/convert.h"
#include "core/format_lookup.h"
#include "formats/format_table.h"

namespace {
class PrintingFrontEnd final : public FrontEnd {
public:
    PrintingFrontEnd(int input, int output, std::string outputName, std::vector<std::string> inputs)
        : input_(input), output_(output), outputName_(std::move(outputName)), inputs_(std::move(inputs))
    {}
    std::string InputFileText() override { return inputs_.front(); }
    std::vector<std::string> ChosenInputFiles() override
    {
        return inputs_.size() > 1 ? inputs_ : std::vector<std::string>{};
    }
    std::string OutputFileText() override { return outputName_; }
    int InputPosition() override { return input_; }
    int OutputPosition() override { return output_; }
    void AddLine(const std::string& text) override { std::printf("%s\n", text.c_str()); }
    void ClearLines() override {}
    void ShowMessage(const std::string& text) override { std::printf("message: %s\n", text.c_str()); }
    void SetBusyCursor(bool) override {}
    void ProcessMessages() override { std::fflush(stdout); }

private:
    int input_, output_;
    std::string outputName_;
    std::vector<std::string> inputs_;
};

bool ParsePosition(FormatTable table, const char* text, int& out)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && value >= -1 && value <= 1000) {
        out = static_cast<int>(value);
        return true;
    }
    out = FormatNamed(table, text);
    return out >= 0;
}
}  // namespace

int main(int argc, char** argv)
{
    BuildFormatCatalogue(KnownFormats());
    int input = -1, output = -1;
    if (argc < 5 || !ParsePosition(InputFormats, argv[1], input) || !ParsePosition(OutputFormats, argv[2], output)) {
        std::fprintf(stderr,
                     "usage: kes-headless INPUT_FORMAT OUTPUT_FORMAT OUTPUT_NAME INPUT_NAME [MORE_INPUT_NAMES...]\n");
        return 2;
    }
    TimeZoneBias = HostTimeZoneBias();
    PrintingFrontEnd frontEnd(input, output, argv[3], std::vector<std::string>(argv + 4, argv + argc));
    try {
        Convert(frontEnd);
    } catch (const std::exception& error) {
        std::printf("error: %s\n", error.what());
        return 1;
    }
    return 0;
}
