// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window/OptionalModule.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QStringList>

#include "ui/tiles/TileFetcher.h"
#include "ui/view/SvgWriter.h"

QFunctionPointer ModuleFunction(const QString& module, const char* function, QString& error)
{
    // Owned for the whole process: code of a module may run until the program ends.
    static QHash<QString, QLibrary*> loaded;
    QLibrary*& library = loaded[module];
    if (!library) {
        const QString file = "lib" + module + ".so";
        // The installed layout, which the build tree copies; then the build
        // tree itself, for its programs outside bin/ (tests, benchmarks).
        const QStringList places = {QCoreApplication::applicationDirPath() + "/" KES_MODULES_FROM_BIN "/" + file,
                                    QString(KES_BUILD_MODULES "/") + file};
        QString reasons;
        for (const QString& place : places) {
            if (!QFileInfo::exists(place)) continue;
            auto* candidate = new QLibrary(place);
            if (candidate->load()) {
                library = candidate;
                break;
            }
            reasons = candidate->errorString();
            delete candidate;
        }
        if (!library) {
            error = reasons.isEmpty() ? QString("%1 is not installed").arg(file) : reasons;
            loaded.remove(module);
            return nullptr;
        }
    }
    const QFunctionPointer entry = library->resolve(function);
    if (!entry) error = library->errorString();
    return entry;
}

std::unique_ptr<TileFetcher> LoadTileFetcher(const QString& cacheFolder, const QString& userAgent,
                                             const TileLimits& limits, QString& error)
{
    const auto make = reinterpret_cast<MakeTileFetcherFunction>(ModuleFunction("kes_tiles", kMakeTileFetcher, error));
    return make ? std::unique_ptr<TileFetcher>(make(cacheFolder, userAgent, limits)) : nullptr;
}

bool WriteSvg(QByteArray& out, QSize size, const QString& title, const DrawFunction& draw, QString& error)
{
    const auto write = reinterpret_cast<WriteSvgFunction>(ModuleFunction("kes_svg", kWriteSvg, error));
    if (!write) {
        error = "SVG cannot be written: " + error;
        return false;
    }
    return write(out, size, title, draw, error);
}
