// TSimpleColorSelector: picks a colour from a map of hues and saturations at
// one lightness, set by a bitmap slider under the map. A left-button release
// on the map picks the primary colour, any other button the secondary one.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Color32.h"

#include <QWidget>

#include <functional>

class QCursor;
class TOcraSlider;
class TColorMapView;

// Fills `map` (resized to width x height) with the colours of one lightness:
// hue runs down and saturation to the right, or the reverse with
// horizontalLayout on. Hue 0 (red) and saturation 0 (grey) lie at the top and
// left edges; both ratios stay below 1.
void RenderColorMap(TBitmap32& map, int32_t width, int32_t height, float lightness, bool horizontalLayout);

class TSimpleColorSelector : public QWidget {
    Q_OBJECT

public:
    explicit TSimpleColorSelector(QWidget* parent = nullptr);
    ~TSimpleColorSelector() override;

    // The lightness slider's looks: its ruler and its two thumb looks.
    const QImage& BitmapSlider() const;
    void SetBitmapSlider(const QImage& image);
    const QImage& BitmapBtn() const;
    void SetBitmapBtn(const QImage& image);

    // Opaque colours of the last pick with the left button and with any other
    // button; black until then. Writing them changes nothing on screen.
    TColor32 SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor32 color) { selectedColor_ = color; }
    TColor32 SecondaryColor() const { return secondaryColor_; }
    void SetSecondaryColor(TColor32 color) { secondaryColor_ = color; }

    // Off: hue down the map, saturation to the right. On: the reverse.
    bool HorizontalLayout() const { return horizontalLayout_; }
    void SetHorizontalLayout(bool value);

    // The map's pointer; the program sets its eyedropper here.
    void SetMapCursor(const QCursor& cursor);

    // Fired after every pick, with either button.
    std::function<void()> OnSelectColor;

    // What the map shows now, one pixel per pixel of the map.
    const TBitmap32& MapBitmap() const { return mapBitmap_; }
    QWidget* Map() const;

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutChildren();
    void RenderMap();
    void Pick(QPoint at, Qt::MouseButton button);

    TColor32 selectedColor_ = clBlack32;
    bool horizontalLayout_ = false;
    TColor32 secondaryColor_ = clBlack32;
    TOcraSlider* slider_ = nullptr;
    TColorMapView* map_ = nullptr;
    TBitmap32 mapBitmap_;
};
