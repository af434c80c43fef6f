// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/convert/catalogue.h"

#include <stdexcept>

namespace {
FileType_Record RecordOf(const FormatTexts& texts, int position, bool (*recognise)(const FileLook&))
{
    return {texts.caption, texts.extensions, std::string(texts.description) + "|" + texts.pattern, texts.kind, position,
            texts.name,    recognise};
}
}  // namespace

FormatCatalogue::FormatCatalogue(const FormatRows& rows) : rows_(rows)
{
    inputs_.reserve(rows_.inputs.size());
    for (const InputFormatRow& row : rows_.inputs) inputs_.push_back(RecordOf(row.texts, row.position, row.recognise));
    outputs_.reserve(rows_.outputs.size());
    for (const OutputFormatRow& row : rows_.outputs) outputs_.push_back(RecordOf(row.texts, row.position, nullptr));
}

bool FormatCatalogue::IsInput(int position) const
{
    return position >= 0 && static_cast<std::size_t>(position) < rows_.inputs.size();
}

bool FormatCatalogue::IsOutput(int position) const
{
    return position >= 0 && static_cast<std::size_t>(position) < rows_.outputs.size();
}

const InputFormatRow& FormatCatalogue::InputRow(int position) const
{
    if (!IsInput(position)) throw std::out_of_range("no input format " + std::to_string(position));
    return rows_.inputs[static_cast<std::size_t>(position)];
}

const OutputFormatRow& FormatCatalogue::OutputRow(int position) const
{
    if (!IsOutput(position)) throw std::out_of_range("no output format " + std::to_string(position));
    return rows_.outputs[static_cast<std::size_t>(position)];
}

bool FormatCatalogue::Compatible(int inputPosition, int outputPosition) const
{
    if (!IsInput(inputPosition) || !IsOutput(outputPosition)) return false;
    const FormatKind output = outputs_[static_cast<std::size_t>(outputPosition)].Kind;
    return output == FormatKind::Everything || inputs_[static_cast<std::size_t>(inputPosition)].Kind == output;
}

bool FormatCatalogue::SameFormat(int inputPosition, int outputPosition) const
{
    return IsInput(inputPosition) && IsOutput(outputPosition) &&
           inputs_[static_cast<std::size_t>(inputPosition)].Name ==
               outputs_[static_cast<std::size_t>(outputPosition)].Name;
}
