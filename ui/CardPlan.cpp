// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/CardPlan.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <filesystem>

#include "core/catalogue.h"
#include "core/format_lookup.h"
#include "core/output_folder.h"
#include "ui/InputFormatOf.h"

QStringList FilesOfFolder(const QString& folder)
{
    QStringList files;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo& entry : entries)
        if (!IsTemporaryName(entry.fileName().toLocal8Bit().constData()))
            files << QDir::toNativeSeparators(entry.absoluteFilePath());
    return files;
}

QStringList CardFiles(const QStringList& chosen)
{
    QStringList files;
    for (const QString& name : chosen) files << (QFileInfo(name).isDir() ? FilesOfFolder(name) : QStringList{name});
    return files;
}

std::vector<CardFile> PlanCard(const QStringList& files, const QString& folder, int outputPosition)
{
    std::vector<CardFile> plan;
    QHash<QString, QString> taken;  // output or input name: whose it is, in words
    for (const QString& file : files) taken.insert(QFileInfo(file).absoluteFilePath(), "the input " + file);
    const std::vector<std::string> extensions =
        IsOutputPosition(outputPosition) ? FormatExtensions(OutputFormats[outputPosition]) : std::vector<std::string>{};
    for (const QString& file : files) {
        CardFile job;
        job.file = file;
        const QFileInfo info(file);
        job.position = InputFormatFor(file.toStdString(), -1, outputPosition);
        // As the command names it: the last extension replaced (".mylog" is a name: ".mylog.plt").
        const QString name =
            QString::fromStdString(std::filesystem::path(file.toStdString())
                                       .filename()
                                       .replace_extension(extensions.empty() ? "" : "." + extensions.front())
                                       .string());
        job.output = QDir::toNativeSeparators(QDir(folder.isEmpty() ? info.absolutePath() : folder).filePath(name));
        const QString key = QFileInfo(job.output).absoluteFilePath();
        if (!IsInputPosition(job.position)) job.refusal = "cannot tell its format from its content";
        else if (const auto owner = taken.constFind(key); owner != taken.cend() && *owner != "the input " + file)
            job.refusal = "its output " + job.output +
                          (owner->startsWith("the input ") ? " would replace " : " clashes with ") + *owner;
        else taken.insert(key, job.output + ", written for " + file);
        plan.push_back(job);
    }
    return plan;
}

QString CardSummary(int converted, const QStringList& notConverted)
{
    QString text = QString("%1 converted").arg(converted);
    if (!notConverted.isEmpty())
        text += QString(", %1 not converted: ").arg(notConverted.size()) + notConverted.join("; ");
    return text;
}
