#include "controls/ImageList.h"

#include "gfx/Errors.h"

#include <string>

TImageList::TImageList(int32_t width, int32_t height, QObject* parent) : QObject(parent), width_(0), height_(0)
{
    SetSize(width, height);
}

void TImageList::SetSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0) throw EngineError("TImageList: Invalid image size");
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    images_.clear();
    Changed();
}

const QImage& TImageList::Image(int32_t index) const
{
    CheckIndex(index);
    return images_[static_cast<size_t>(index)];
}

int32_t TImageList::Add(const QImage& image)
{
    images_.push_back(Fitted(image));
    Changed();
    return Count() - 1;
}

void TImageList::Replace(int32_t index, const QImage& image)
{
    CheckIndex(index);
    images_[static_cast<size_t>(index)] = Fitted(image);
    Changed();
}

void TImageList::Delete(int32_t index)
{
    CheckIndex(index);
    images_.erase(images_.begin() + index);
    Changed();
}

void TImageList::Clear()
{
    if (images_.empty()) return;
    images_.clear();
    Changed();
}

void TImageList::EndUpdate()
{
    if (updateCount_ == 0) return;
    if (--updateCount_ == 0 && changedInUpdate_) Changed();
}

QImage TImageList::Fitted(const QImage& image) const
{
    if (image.isNull() || width_ == 0 || height_ == 0) {
        QImage blank(width_, height_, QImage::Format_ARGB32);
        blank.fill(Qt::transparent);
        return blank;
    }
    const QImage sized = image.size() == QSize(width_, height_)
                             ? image
                             : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return sized.convertToFormat(QImage::Format_ARGB32);
}

void TImageList::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EngineError("TImageList.GetImage: Index out of bounds(" + std::to_string(index) + ")");
}

void TImageList::Changed()
{
    changedInUpdate_ = updateCount_ > 0;
    if (!changedInUpdate_) emit Change();
}
