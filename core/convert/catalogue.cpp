// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/catalogue.h"

#include <stdexcept>

std::vector<FileType_Record> InputFormats;
std::vector<FileType_Record> OutputFormats;

namespace {
FormatRows rows;

FileType_Record RecordOf(const FormatTexts& texts, int position, bool (*recognise)(const FileLook&))
{
    return {texts.caption, texts.extensions, std::string(texts.description) + "|" + texts.pattern, texts.kind, position,
            texts.name,    recognise};
}
}  // namespace

void BuildFormatCatalogue(const FormatRows& formatRows)
{
    rows = formatRows;
    InputFormats.clear();
    OutputFormats.clear();
    for (const InputFormatRow& row : rows.inputs)
        InputFormats.push_back(RecordOf(row.texts, row.position, row.recognise));
    for (const OutputFormatRow& row : rows.outputs) OutputFormats.push_back(RecordOf(row.texts, row.position, nullptr));
}

bool IsInputPosition(int position) { return position >= 0 && static_cast<std::size_t>(position) < rows.inputs.size(); }

bool IsOutputPosition(int position)
{
    return position >= 0 && static_cast<std::size_t>(position) < rows.outputs.size();
}

const InputFormatRow& InputRow(int position)
{
    if (!IsInputPosition(position)) throw std::out_of_range("no input format " + std::to_string(position));
    return rows.inputs[static_cast<std::size_t>(position)];
}

const OutputFormatRow& OutputRow(int position)
{
    if (!IsOutputPosition(position)) throw std::out_of_range("no output format " + std::to_string(position));
    return rows.outputs[static_cast<std::size_t>(position)];
}

bool FormatsCompatible(int inputPosition, int outputPosition)
{
    if (!IsInputPosition(inputPosition) || !IsOutputPosition(outputPosition)) return false;
    const FormatKind output = OutputFormats[outputPosition].Kind;
    return output == FormatKind::Everything || InputFormats[inputPosition].Kind == output;
}

bool SameFormat(int inputPosition, int outputPosition)
{
    return IsInputPosition(inputPosition) && IsOutputPosition(outputPosition) &&
           InputFormats[inputPosition].Name == OutputFormats[outputPosition].Name;
}
