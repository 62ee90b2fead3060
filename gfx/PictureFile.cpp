#include "gfx/PictureFile.h"

#include "gfx/Errors.h"

#include <QImage>
#include <QImageReader>
#include <QString>

TBitmap32 LoadPictureFile(const std::string& fileName)
{
    QImageReader reader(QString::fromStdString(fileName));
    // Photographs carry their orientation in EXIF; the user expects to see
    // the picture the way it was taken.
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        throw EngineError("Cannot read picture \"" + fileName + "\": " + reader.errorString().toStdString());
    // FromImage converts to non-premultiplied ARGB32 exactly once.
    return TBitmap32::FromImage(image);
}
