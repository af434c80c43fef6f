// SPDX-License-Identifier: GPL-3.0-or-later
#include "command/completion.h"

#include "command/options.h"
#include "core/convert/catalogue.h"
#include "core/convert/format_lookup.h"

namespace {
using Value = OptionDescription::Value;

std::string Names(FormatTable table)
{
    std::string text;
    for (const FileType_Record& row : table) text += (text.empty() ? "" : " ") + row.Name;
    return text;
}

// An option's help up to its first semicolon, in one line, for the shells that show it.
std::string Summary(const OptionDescription& o)
{
    std::string help = o.help;
    for (char& c : help)
        if (c == '\n') c = ' ';
    return help.substr(0, help.find(';'));
}

// Inside single quotes of a shell word.
std::string SingleQuoted(const std::string& text)
{
    std::string out;
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out;
}

std::string Header(const char* shell)
{
    return std::string("# ") + shell + " completion of kes-convert, made by 'kes-convert --completion=" + shell +
           "'\n# from its option table.\n";
}

std::string Bash(const FormatCatalogue& catalogue)
{
    std::string withValue, fileValue, all;
    for (const OptionDescription& o : OptionDescriptions()) {
        std::string names = "--" + std::string(o.name);
        if (o.shortName != '\0') names = "-" + std::string(1, o.shortName) + "|" + names;
        all += (all.empty() ? "" : " ") + ("--" + std::string(o.name));
        if (o.kind == Value::File) fileValue += (fileValue.empty() ? "" : "|") + names;
        else if (o.kind == Value::Text) withValue += (withValue.empty() ? "" : "|") + names;
    }
    return Header("bash") +
           "_kes_convert()\n{\n"
           "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}\n"
           "    if [[ $prev == = ]]; then prev=${COMP_WORDS[COMP_CWORD-2]}; fi\n"
           "    if [[ $cur == = ]]; then prev=${COMP_WORDS[COMP_CWORD-1]}; cur=; fi\n"
           "    case $prev in\n"
           "    -i|--input-format)\n"
           "        COMPREPLY=($(compgen -W '" +
           Names(catalogue.Inputs()) +
           "' -- \"$cur\")); return ;;\n"
           "    -o|--output-format)\n"
           "        COMPREPLY=($(compgen -W '" +
           Names(catalogue.Outputs()) +
           "' -- \"$cur\")); return ;;\n"
           "    " +
           fileValue +
           ")\n"
           "        compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\")); return ;;\n"
           "    " +
           withValue +
           ")\n"
           "        COMPREPLY=(); return ;;\n"
           "    esac\n"
           "    if [[ $cur == -* ]]; then\n"
           "        COMPREPLY=($(compgen -W '" +
           all +
           "' -- \"$cur\"))\n"
           "    else\n"
           "        compopt -o filenames 2>/dev/null; COMPREPLY=($(compgen -f -- \"$cur\"))\n"
           "    fi\n"
           "}\n"
           "complete -F _kes_convert kes-convert\n";
}

std::string Zsh(const FormatCatalogue& catalogue)
{
    std::string text = "#compdef kes-convert\n" + Header("zsh") + "_arguments -s -S \\\n";
    for (const OptionDescription& o : OptionDescriptions()) {
        std::string description = Summary(o);
        for (const char c : {'[', ']'})
            for (std::size_t at = description.find(c); at != std::string::npos; at = description.find(c, at + 2))
                description.insert(at, "\\");
        std::string action;
        if (o.kind == Value::FormatIn) action = ":format:(" + Names(catalogue.Inputs()) + ")";
        if (o.kind == Value::FormatOut) action = ":format:(" + Names(catalogue.Outputs()) + ")";
        if (o.kind == Value::File) action = ":file:_files";
        if (o.kind == Value::Text) action = std::string(":") + o.value + ": ";
        const std::string value = o.optionalValue ? "=-" : o.value ? "=" : "";
        const std::string described = "[" + description + "]" + action;
        if (o.shortName != '\0')
            text += "  '(-" + std::string(1, o.shortName) + " --" + o.name + ")'{-" + o.shortName +
                    (o.value ? "+" : "") + ",--" + o.name + value + "}'" + SingleQuoted(described) + "' \\\n";
        else text += "  '--" + std::string(o.name) + value + SingleQuoted(described) + "' \\\n";
    }
    return text + "  '*:input:_files'\n";
}

std::string Fish(const FormatCatalogue& catalogue)
{
    std::string text = Header("fish");
    for (const OptionDescription& o : OptionDescriptions()) {
        text += "complete -c kes-convert";
        if (o.shortName != '\0') text += " -s " + std::string(1, o.shortName);
        text += " -l " + std::string(o.name);
        if (o.kind == Value::FormatIn) text += " -x -a '" + Names(catalogue.Inputs()) + "'";
        if (o.kind == Value::FormatOut) text += " -x -a '" + Names(catalogue.Outputs()) + "'";
        if (o.kind == Value::File) text += " -r -F";
        if (o.kind == Value::Text) text += " -x";
        text += " -d '" + SingleQuoted(Summary(o)) + "'\n";
    }
    return text;
}
}  // namespace

std::string CompletionScript(const FormatCatalogue& catalogue, const std::string& shell)
{
    if (shell == "zsh") return Zsh(catalogue);
    if (shell == "fish") return Fish(catalogue);
    return Bash(catalogue);
}
