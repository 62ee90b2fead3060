// TImageList: a list of equally sized pictures (the patterns' thumbnails, for
// one) that tells whoever shows it when its contents change, through Change.
// Viewers hold it by QPointer, so a list that goes away is seen as no list.
#pragma once

#include <QImage>
#include <QObject>

#include <cstdint>
#include <vector>

class TImageList : public QObject {
    Q_OBJECT

public:
    // Sizes below 0 raise EngineError.
    explicit TImageList(int32_t width = 16, int32_t height = 16, QObject* parent = nullptr);

    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    // Every picture has the list's size, so a new size empties the list.
    void SetSize(int32_t width, int32_t height);

    int32_t Count() const { return static_cast<int32_t>(images_.size()); }
    // An index outside 0..Count-1 raises EngineError.
    const QImage& Image(int32_t index) const;

    // Pictures of another size are scaled to the list's size; a null picture
    // becomes a transparent one. Add returns the new picture's index.
    int32_t Add(const QImage& image);
    void Replace(int32_t index, const QImage& image);
    void Delete(int32_t index);
    void Clear();

    // Changes between BeginUpdate and the matching EndUpdate are reported
    // once, when the last EndUpdate runs.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

signals:
    void Change();

private:
    QImage Fitted(const QImage& image) const;
    void CheckIndex(int32_t index) const;
    void Changed();

    int32_t width_;
    int32_t height_;
    std::vector<QImage> images_;
    int updateCount_ = 0;
    bool changedInUpdate_ = false;
};
