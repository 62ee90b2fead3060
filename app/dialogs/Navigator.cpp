#include "app/dialogs/Navigator.h"

#include "controls/ImageViewWidget.h"
#include "app/dialogs/GuardedHandler.h"
#include "gfx/ImageView.h"

#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int RefreshInterval = 1000;
// From the main window's right edge (its scroll bar and frame) and top edge
// (title and menu bar).
constexpr int StartRightMargin = 24;
constexpr int StartTopMargin = 64;

} // namespace

QPoint NavigatorStartPosition(const QRect& owner, const QSize& frame)
{
    return {owner.x() + owner.width() - frame.width() - StartRightMargin, owner.y() + StartTopMargin};
}

TFNavigator::TFNavigator(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), imgView_(new TImageViewWidget(this)),
      timer_(new QTimer(this))
{
    setWindowTitle(QStringLiteral("Navigator"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(imgView_);
    // The overview is as large as the whole window, a little more than the
    // view shows; scroll bars for those few pixels would only take room.
    imgView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imgView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imgView_->setFrameShape(QFrame::NoFrame);

    TImageView& view = imgView_->View();
    view.SetCentered(false);
    view.SetScaleMode(TScaleMode::smNormal);
    view.SetBackground(NavigatorBackground);
    view.SetBitmap(&overview_);

    layer_ = &view.AddLayer();
    layer_->SetScaled(false);
    layer_->SetMouseEvents(true);
    layer_->OnPaint = [this](TPositionedLayer&, TBitmap32& buffer) { LayerPaint(buffer); };
    layer_->OnHitTest = [this](TPositionedLayer&, int32_t x, int32_t y, bool& passed) { LayerHitTest(x, y, passed); };
    layer_->OnMouseDown = [this](TPositionedLayer&, TMouseButton, TShiftState, int32_t x, int32_t y) {
        LayerMouseDown(x, y);
    };
    layer_->OnMouseMove = [this](TPositionedLayer&, TShiftState, int32_t x, int32_t y) { LayerMouseMove(x, y); };
    layer_->OnMouseUp = [this](TPositionedLayer&, TMouseButton, TShiftState, int32_t x, int32_t y) {
        LayerMouseUp(x, y);
    };

    timer_->setInterval(RefreshInterval);
    connect(timer_, &QTimer::timeout, this, [this] { TimerTimer(); });
    timer_->start();

    resize(261, 251);
}

TFNavigator::~TFNavigator()
{
    // The view borrows the overview, which dies before the child widgets.
    imgView_->View().SetBitmap(nullptr);
}

void TFNavigator::SetDestView(TImageView* dest)
{
    dest_ = dest;
    CancelDrag();
    imgView_->View().Changed();
}

// A drag that cannot end with its release (the view went, the window was
// hidden) ends here, without scrolling, and the refresh runs again.
void TFNavigator::CancelDrag()
{
    if (!dragging_) return;
    dragging_ = false;
    timer_->start();
}

void TFNavigator::UpdateView()
{
    if (!isVisible() || !dest_ || !dest_->Bitmap()) return;
    if (HasDocument && !HasDocument()) return;
    const TBitmap32& result = *dest_->Bitmap();
    geometry_ = NavigatorGeometry(overview_.Width(), overview_.Height(), result.Width(), result.Height());
    TImageView& view = imgView_->View();
    view.BeginUpdate();
    overview_.Clear(NavigatorBackground);
    if (!geometry_.DestRect.IsEmpty()) overview_.Draw(geometry_.DestRect, geometry_.SourceRect, result);
    view.EndUpdate();
    view.Changed();
}

TRect TFNavigator::GetViewRect() const
{
    return NavigatorViewRect(geometry_, dest_, dragging_ ? dragOffset_ : TPoint{});
}

void TFNavigator::showEvent(QShowEvent* event)
{
    // The first showing places the window; later ones leave it where the
    // user put it.
    if (!placed_ && parentWidget() && parentWidget()->window()->isVisible()) {
        move(NavigatorStartPosition(parentWidget()->window()->frameGeometry(), frameGeometry().size()));
        placed_ = true;
    }
    QWidget::showEvent(event);
    GuardedHandler("Navigator", [&] { UpdateView(); });
}

void TFNavigator::hideEvent(QHideEvent* event)
{
    CancelDrag();
    QWidget::hideEvent(event);
}

void TFNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    GuardedHandler("Navigator", [&] {
        const QSize outer = frameGeometry().size();
        overview_.SetSize(outer.width(), outer.height());
        overview_.Clear(NavigatorBackground);
        FitLayerToViewport();
        UpdateView();
    });
}

// The layer takes the mouse over the whole view, however large the window grows.
void TFNavigator::FitLayerToViewport()
{
    const QSize client = imgView_->viewport()->size();
    layer_->SetLocation({0, 0, double(client.width()), double(client.height())});
}

void TFNavigator::TimerTimer()
{
    GuardedHandler("Navigator", [&] { UpdateView(); });
}

void TFNavigator::LayerPaint(TBitmap32& buffer)
{
    if (!dest_) return;
    const TRect r = GetViewRect();
    buffer.LineS(r.Left, r.Top, r.Right, r.Top, NavigatorFrameColor);
    buffer.LineS(r.Right, r.Top, r.Right, r.Bottom, NavigatorFrameColor);
    buffer.LineS(r.Right, r.Bottom, r.Left, r.Bottom, NavigatorFrameColor);
    buffer.LineS(r.Left, r.Bottom, r.Left, r.Top, NavigatorFrameColor);
}

void TFNavigator::LayerHitTest(int32_t x, int32_t y, bool& passed)
{
    passed = dest_ && NavigatorHit(GetViewRect(), x, y);
}

void TFNavigator::LayerMouseDown(int32_t x, int32_t y)
{
    if (!dest_ || !NavigatorHit(GetViewRect(), x, y)) {
        dragging_ = false;
        return;
    }
    timer_->stop();
    dragging_ = true;
    down_ = {x, y};
    dragOffset_ = {};
}

void TFNavigator::LayerMouseMove(int32_t x, int32_t y)
{
    if (!dragging_) return;
    dragOffset_ = {x - down_.X, y - down_.Y};
    imgView_->View().Changed();
}

void TFNavigator::LayerMouseUp(int32_t x, int32_t y)
{
    if (!dragging_) return;
    UpdateView();
    timer_->start();
    dragging_ = false;
    const std::optional<TPoint> scroll = NavigatorDragScroll(geometry_.Scale, down_, {x, y});
    if (scroll && dest_) dest_->Scroll(scroll->X, scroll->Y);
}

#include "moc_Navigator.cpp"
