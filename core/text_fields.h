// Tolerant text helpers shared by every text format: trimming, padding,
// comma and blank separated fields, numbers with per-call defaults.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Raised by TextToFloat when the exponent overflows.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string TrimLeftSpaces(std::string_view text);
std::string TrimRightSpaces(std::string_view text);
std::string TrimSpaces(std::string_view text);
bool IsBlank(std::string_view text);
std::string UpperText(std::string_view text);
std::string PadLeftZeros(std::string_view text, int width);
std::string PadRightSpaces(std::string_view text, int width);
std::string ProgramFolder();

std::string GetField(std::string_view line, int n, std::string_view defaultValue);
double GetFloatField(std::string_view line, int n, double defaultValue);
std::int32_t GetIntField(std::string_view line, int n, std::int32_t defaultValue);
std::string GetSpaceField(std::string_view line, int n, std::string_view defaultValue);

double TextToFloat(std::string_view text);
double LocalToUtc(double dateTime);
std::string FormatFixed(int precision, int digits, double value);
