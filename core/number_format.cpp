#include "core/number_format.h"

#include <charconv>

namespace {
void AppendAligned(std::string& out, const char* first, const char* last, int width)
{
    const auto length = static_cast<int>(last - first);
    if (width > length) out.append(static_cast<std::size_t>(width - length), ' ');
    out.append(first, last);
}
}  // namespace

void AppendInt(std::string& out, std::int64_t value, int width)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    AppendAligned(out, buffer, result.ptr, width);
}

void AppendReal(std::string& out, double value, int width, int decimals)
{
    char buffer[400];  // the largest double in fixed notation with a few decimals fits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc()) {
        AppendAligned(out, "0", "0" + 1, width);
        return;
    }
    AppendAligned(out, buffer, result.ptr, width);
}

std::string FormatInt(std::int64_t value, int width)
{
    std::string s;
    AppendInt(s, value, width);
    return s;
}

std::string FormatReal(double value, int width, int decimals)
{
    std::string s;
    AppendReal(s, value, width, decimals);
    return s;
}
