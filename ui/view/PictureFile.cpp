// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/view/PictureFile.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <string_view>

#include "core/io/file_io.h"

bool SavePicture(const QString& file, QSize picture, qreal pixelRatio, const QString& title, const DrawFunction& draw,
                 QString& error)
{
    QByteArray bytes;
    if (QFileInfo(file).suffix().compare("svg", Qt::CaseInsensitive) == 0) {
        if (!WriteSvg(bytes, picture, title, draw, error)) return false;
    } else {
        QImage image(picture * pixelRatio, QImage::Format_RGB32);
        image.setDevicePixelRatio(pixelRatio);
        {
            QPainter painter(&image);
            draw(painter, picture);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, "PNG")) {
            error = "The picture could not be made";
            return false;
        }
    }
    // Through the safe writer, as every output: never half a file, and an
    // earlier file of the name kept if the write fails.
    try {
        WriteFileSafely(file.toStdString(),
                        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const FileError& failure) {
        error = QString::fromStdString(failure.SystemMessage());
        return false;
    }
    return true;
}
