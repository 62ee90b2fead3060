#include "gfx/PictureFile.h"

#include "gfx/Errors.h"

#include <QImage>
#include <QImageReader>
#include <QString>

#include <algorithm>
#include <limits>

namespace {

// Qt's readers refuse to allocate more than a process-wide number of
// megabytes, 128 by default: a photograph of 34 megapixels. The limit is set
// to the caller's bound for one read and put back afterwards.
class TAllocationLimitScope {
public:
    explicit TAllocationLimitScope(int64_t maxPixels) : saved_(QImageReader::allocationLimit())
    {
        // Rounded down, so never above the bound; 0 would mean no limit.
        const int64_t megabytes = std::max<int64_t>(maxPixels, 0) * int64_t(sizeof(TColor32)) >> 20;
        QImageReader::setAllocationLimit(
            static_cast<int>(std::clamp<int64_t>(megabytes, 1, std::numeric_limits<int>::max())));
    }
    ~TAllocationLimitScope() { QImageReader::setAllocationLimit(saved_); }
    TAllocationLimitScope(const TAllocationLimitScope&) = delete;
    TAllocationLimitScope& operator=(const TAllocationLimitScope&) = delete;

private:
    int saved_;
};

} // namespace

std::optional<TPictureSize> PictureFileSize(const std::string& fileName)
{
    QImageReader reader(QString::fromStdString(fileName));
    const QSize size = reader.size();
    if (!size.isValid()) return std::nullopt;
    return TPictureSize{size.width(), size.height()};
}

TBitmap32 LoadPictureFile(const std::string& fileName, int64_t maxPixels)
{
    QImageReader reader(QString::fromStdString(fileName));
    // Photographs carry their orientation in EXIF; the user expects to see
    // the picture the way it was taken.
    reader.setAutoTransform(true);
    QImage image;
    {
        const TAllocationLimitScope limit(maxPixels);
        image = reader.read();
    }
    if (image.isNull())
        throw EngineError("Cannot read picture \"" + fileName + "\": " + reader.errorString().toStdString());
    // FromImage converts to non-premultiplied ARGB32 exactly once.
    return TBitmap32::FromImage(image);
}
