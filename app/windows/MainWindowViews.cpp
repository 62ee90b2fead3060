// The view area: the source and result views side by side in a splitter,
// scrolled together, hiding the unpinned floating panels when the pointer
// moves over them.
#include "app/windows/MainWindow.h"

#include "app/windows/HelpTopic.h"
#include "controls/ImageViewWidget.h"

#include <QHBoxLayout>
#include <QSplitter>

void TFMain::BuildViews(QWidget* host)
{
    panDual_ = new QWidget(host);
    auto* row = new QHBoxLayout(panDual_);
    row->setContentsMargins(0, 0, 0, 0);
    glSplitter_ = new QSplitter(Qt::Horizontal, panDual_);
    glSplitter_->setChildrenCollapsible(true);
    glSplitter_->setHandleWidth(6);
    row->addWidget(glSplitter_);
    imgSrc_ = new TImageViewWidget(glSplitter_);
    imgDst_ = new TImageViewWidget(glSplitter_);
    imgSrc_->setObjectName("ImgSrc");
    imgDst_->setObjectName("ImgDst");
    glSplitter_->addWidget(imgSrc_);
    glSplitter_->addWidget(imgDst_);
    glSplitter_->setStretchFactor(0, 1);
    glSplitter_->setStretchFactor(1, 1);
    for (TImageViewWidget* view : {imgSrc_, imgDst_}) {
        SetHelpKeyword(view, "img");
        view->View().OnScroll = [this, view](TImageView&) { ImgScroll(view); };
        // The tool manager keeps these and calls them after the current
        // tool has handled the event; without a document they run directly.
        view->View().OnMouseDown = [this](TImageView&, TMouseButton, TShiftState, int32_t, int32_t,
                                          TPositionedLayer*) { PainWindowMouseDown(); };
        view->View().OnMouseMove = [this](TImageView&, TShiftState, int32_t, int32_t, TPositionedLayer*) {
            GeneralMouseMove();
        };
        view->OnError = [](const std::exception&) {}; // dropped, as every error at the event loop
    }
}

void TFMain::SplitViews()
{
    const TViewWidths widths = SplitViewWidths(panDual_->contentsRect().width(), glSplitter_->handleWidth());
    glSplitter_->setSizes({widths.Source, widths.Dest});
}

void TFMain::ImgScroll(TImageViewWidget* scrolled)
{
    // The other view's own scroll event would centre this one again on the
    // same point; the guard ends the exchange at once instead.
    if (scrolling_) return;
    TImageViewWidget* other = scrolled == imgSrc_ ? imgDst_ : imgSrc_;
    const TImageView& view = scrolled->View();
    const TRect r = view.GetViewportRect();
    const TPoint topLeft = view.ControlToBitmap({r.Left, r.Top});
    const TPoint bottomRight = view.ControlToBitmap({r.Right, r.Bottom});
    const int32_t cx = topLeft.X + (bottomRight.X - topLeft.X) / 2;
    const int32_t cy = topLeft.Y + (bottomRight.Y - topLeft.Y) / 2;
    scrolling_ = true;
    Guarded([other, cx, cy] { other->View().ScrollToCenter(cx, cy); });
    scrolling_ = false;
}

void TFMain::GeneralMouseMove()
{
    HideUnfixedPanels();
}
