// SPDX-License-Identifier: GPL-3.0-or-later
// A whole card converted in the window: each file on its own into the output
// folder, named after it with the output format's extension, as the command's
// --each names them; a file whose format cannot be told, or whose output
// would clash with another file's, is not converted and says why.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

struct CardFile {
    QString file;
    int position = -1;  // the input format its content names, for the output chosen
    QString output;     // in the output folder
    QString refusal;    // why it is not converted; empty when it is
};

// The regular files in a folder (not its subfolders), hidden ones and the
// program's temporary files left out, in name order.
QStringList FilesOfFolder(const QString& folder);

// The files chosen, a folder standing for its files.
QStringList CardFiles(const QStringList& chosen);

// Each file's format and output name in `folder` (beside each file when empty).
std::vector<CardFile> PlanCard(const QStringList& files, const QString& folder, int outputPosition);

// "41 converted, 2 not converted: a.txt (why); b.dat (why)".
QString CardSummary(int converted, const QStringList& notConverted);
