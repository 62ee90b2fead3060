// The widget that shows an image view model: a scroll area whose viewport
// paints the model's buffer and whose scroll bars, mouse, wheel and keys are
// handed to the model (and through it to the layers and the view's handlers).
#pragma once

#include "gfx/ImageView.h"

#include <QAbstractScrollArea>

#include <exception>
#include <functional>
#include <memory>

class TImageViewWidget : public QAbstractScrollArea, private TImageViewHost {
    Q_OBJECT

public:
    explicit TImageViewWidget(QWidget* parent = nullptr);
    ~TImageViewWidget() override;

    TImageView& View() { return *view_; }
    const TImageView& View() const { return *view_; }

    // Called with any error that a handler of the model raised during an input,
    // paint, resize or scroll event (errors must not cross Qt's event
    // dispatch); silent aborts are dropped before it. Without a handler the
    // error is logged.
    std::function<void(const std::exception&)> OnError;

    // The model's key code for a Qt key, 0 for keys the model has no code for.
    static int VirtualKeyFromQt(int qtKey);
    static Qt::CursorShape QtCursor(TCursorShape shape);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    void RepaintRequested() override;
    void LayoutChanged() override;
    void CursorChanged() override;
    void SyncScrollBars();
    // Runs a handler of the model; nothing it throws gets further.
    template <typename F>
    void Guarded(F&& handler);
    void Press(QMouseEvent* event, TShiftState extra);
    bool ForwardKey(QKeyEvent* event, bool down);

    std::unique_ptr<TImageView> view_;
    bool syncing_ = false; // scroll bars being set from the model
    int wheelRemainder_ = 0;
};
