#include "app/dialogs/FullScreenPreview.h"

#include "controls/ImageViewWidget.h"
#include "gfx/ImageView.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QVBoxLayout>

TFullScreenPreview::TFullScreenPreview(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      image_(new TImageViewWidget(this))
{
    setWindowTitle(QStringLiteral("Full Screen Preview"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(image_);
    image_->setFrameShape(QFrame::NoFrame);
    image_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    image_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    TImageView& view = image_->View();
    view.SetScaleMode(TScaleMode::smFit);
    view.SetCentered(true);
    view.SetBitmap(&picture_);
    // Every key and press, wherever it lands, ends the preview.
    image_->installEventFilter(this);
    image_->viewport()->installEventFilter(this);
}

TFullScreenPreview::~TFullScreenPreview()
{
    // The view borrows the picture, which dies before the child widgets.
    image_->View().SetBitmap(nullptr);
}

void TFullScreenPreview::Prepare(const TBitmap32& result)
{
    picture_.Assign(result);
    // Drawn as it is, whatever mode the result is blended with elsewhere.
    picture_.DrawMode = TDrawMode::dmOpaque;
    picture_.MasterAlpha = 255;
    picture_.StretchFilter = TStretchFilter::sfLinear;
    image_->View().Changed();
    if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(QRect(QPoint(0, 0), screen->size()));
}

int TFullScreenPreview::ShowPreview(const TBitmap32& result)
{
    Prepare(result);
    return exec();
}

bool TFullScreenPreview::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (isVisible()) accept();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TFullScreenPreview::keyPressEvent(QKeyEvent* event)
{
    event->accept();
    accept();
}

void TFullScreenPreview::mousePressEvent(QMouseEvent*) { accept(); }

#include "moc_FullScreenPreview.cpp"
