// TFNavigator: a small always-on-top tool window with the whole result reduced
// to fit and a red rectangle over the part that the destination view shows.
// Dragging the rectangle scrolls the destination view when the mouse is
// released; a one-second timer keeps the overview in step with the drawing.
#pragma once

#include "app/dialogs/NavigatorGeometry.h"
#include "gfx/Bitmap32.h"

#include <QWidget>

#include <functional>

class QTimer;
class QRect;
class QPoint;
class QSize;
class TImageView;
class TImageViewWidget;
class TPositionedLayer;

// Where the navigator first opens: inside the top-right corner of the main
// window's frame `owner`, below its menu bar and clear of the result view's
// scroll bar.
QPoint NavigatorStartPosition(const QRect& owner, const QSize& frame);

class TFNavigator : public QWidget {
    Q_OBJECT

public:
    explicit TFNavigator(QWidget* parent = nullptr);
    ~TFNavigator() override;

    // The main window's destination view; nullptr when it goes.
    void SetDestView(TImageView* dest);
    TImageView* DestView() const { return dest_; }
    // Whether the command module has a document; without it the overview is
    // left as it was. Unset means there is one whenever a view is set.
    std::function<bool()> HasDocument;

    // Redraws the overview from the destination bitmap (only while shown
    // with a document).
    void UpdateView();
    // The destination view's visible part in overview pixels.
    TRect GetViewRect() const;

    const TNavigatorGeometry& Geometry() const { return geometry_; }
    const TBitmap32& Overview() const { return overview_; }
    bool Dragging() const { return dragging_; }
    QTimer& Timer() const { return *timer_; }
    TImageViewWidget& ImgView() const { return *imgView_; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayerPaint(TBitmap32& buffer);
    void LayerHitTest(int32_t x, int32_t y, bool& passed);
    void LayerMouseDown(int32_t x, int32_t y);
    void LayerMouseMove(int32_t x, int32_t y);
    void LayerMouseUp(int32_t x, int32_t y);
    void FitLayerToViewport();
    void CancelDrag();
    void TimerTimer();

    TImageViewWidget* imgView_;
    QTimer* timer_;
    TPositionedLayer* layer_;
    TBitmap32 overview_;
    TImageView* dest_ = nullptr;
    TNavigatorGeometry geometry_;
    bool dragging_ = false;
    bool placed_ = false;
    TPoint down_;
    TPoint dragOffset_;
};
