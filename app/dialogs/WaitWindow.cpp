#include "app/dialogs/WaitWindow.h"

#include "app/dialogs/GradientBar.h"
#include "app/dialogs/FitText.h"
#include "app/dialogs/ScreenCentre.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ClientWidth = 400;
constexpr int ClientHeight = 73;
constexpr QRect AnimationRect(8, 8, 51, 52);
constexpr int FrameInterval = 150; // ms between animation frames

// The inked line of the animation, sampled left to right.
QPointF InkPoint(double t)
{
    return {7.0 + 28.0 * t, 36.0 + 5.0 * std::sin(t * 2.0 * M_PI * 1.25)};
}

void DrawNib(QPainter& painter, QPointF tip)
{
    // The nib leans to the upper right of its tip, as held by a right hand.
    QPainterPath nib;
    nib.moveTo(tip);
    nib.lineTo(tip + QPointF(3.0, -13.0));
    nib.lineTo(tip + QPointF(8.0, -17.0));
    nib.lineTo(tip + QPointF(13.0, -12.0));
    nib.lineTo(tip + QPointF(9.0, -7.0));
    nib.closeSubpath();
    painter.setPen(QPen(QColor(40, 40, 48), 1.0));
    painter.setBrush(QColor(196, 160, 72));
    painter.drawPath(nib);
    painter.setPen(QPen(QColor(40, 40, 48), 1.0));
    painter.drawLine(tip, tip + QPointF(6.5, -10.5));
    painter.setBrush(QColor(40, 40, 48));
    painter.drawEllipse(tip + QPointF(6.5, -10.5), 1.2, 1.2);
}

} // namespace

std::array<QImage, 4> MakeWaitAnimationFrames()
{
    std::array<QImage, 4> frames;
    for (int k = 0; k < 4; ++k) {
        QImage image(AnimationRect.size(), QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // The sheet, with a soft shadow at its lower right.
        painter.fillRect(QRectF(4, 5, 45, 45), QColor(0, 0, 0, 40));
        painter.setPen(QPen(QColor(150, 150, 150), 1.0));
        painter.setBrush(QColor(255, 255, 252));
        painter.drawRect(QRectF(1.5, 2.5, 45, 45));
        painter.setPen(QPen(QColor(200, 215, 235), 1.0));
        for (double y = 12.5; y < 46; y += 8) painter.drawLine(QPointF(5, y), QPointF(43, y));

        // The line drawn so far: a quarter more on every frame, with hatching under it.
        const double reach = (k + 1) / 4.0;
        QPainterPath ink;
        ink.moveTo(InkPoint(0));
        for (int i = 1; i <= 40; ++i) ink.lineTo(InkPoint(reach * i / 40.0));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(24, 28, 60), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(ink);
        painter.setPen(QPen(QColor(24, 28, 60, 150), 1.0));
        for (int i = 0; i <= k * 2 + 1; ++i) {
            const QPointF p = InkPoint(std::min(reach, i / 8.0));
            painter.drawLine(p + QPointF(-1.5, 3.0), p + QPointF(1.5, 8.0));
        }
        DrawNib(painter, InkPoint(reach));
        frames[static_cast<size_t>(k)] = image;
    }
    return frames;
}

bool WaitStepShows(int64_t counter, int64_t lastShown, int64_t rangeMin, int64_t rangeMax)
{
    // 64 bits: a range near the 32-bit limits times 100 must not wrap.
    return 100 * (counter - lastShown) >= rangeMax - rangeMin;
}

TFWait::TFWait(QWidget* mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), mainWindow_(mainWindow),
      frames_(MakeWaitAnimationFrames())
{
    ProcessEvents = [] { QCoreApplication::processEvents(); };
    // Not a child of the main window: disabling that would disable this too.
    setFixedSize(ClientWidth, ClientHeight);
    setWindowTitle(QStringLiteral("Please wait"));

    progBar_ = new TGradientBar(this);
    progBar_->setGeometry(64, 30, 321, 26);
    Label1_ = new QLabel(this);
    Label1_->move(68, 8);
    Label1_->resize(width() - 68 - 4, 18);

    timer_ = new QTimer(this);
    timer_->setInterval(FrameInterval);
    connect(timer_, &QTimer::timeout, this, [this] {
        frame_ = (frame_ + 1) % 4;
        update(AnimationRect);
    });
}

TFWait::~TFWait()
{
    if (mainWindow_ && NestLevel_ > 0) mainWindow_->setEnabled(true);
}

void TFWait::Start(int min, int max)
{
    if (NestLevel_ <= 0) {
        if (mainWindow_) mainWindow_->setEnabled(false);
        if (!isVisible()) {
            CentreOnOwner(*this, mainWindow_);
            show();
        }
    }
    RangeMin_ = min;
    RangeMax_ = max;
    progBar_->SetRange(min, max);
    progBar_->SetPosition(min);
    Counter_ = min;
    LastShown_ = min;
    ShowNow();
    ++NestLevel_;
}

void TFWait::Step()
{
    ++Counter_;
    if (!WaitStepShows(Counter_, LastShown_, RangeMin_, RangeMax_)) return;
    LastShown_ = Counter_;
    progBar_->SetPosition(Counter_);
    ShowNow();
    Pump();
}

void TFWait::SetPosition(int position)
{
    progBar_->SetPosition(position);
    ShowNow();
    Pump();
}

void TFWait::Finish()
{
    // Never below 0: after a right-click reset the operation's own Finish
    // must still bring the main window back.
    NestLevel_ = std::max(0, NestLevel_ - 1);
    if (NestLevel_ > 0) return;
    // Hiding the active window leaves the activation to the desktop, which
    // may hand it elsewhere: the main window takes it back, with its
    // keyboard shortcuts.
    const bool wasActive = isActiveWindow();
    if (mainWindow_) mainWindow_->setEnabled(true);
    hide();
    if (wasActive && mainWindow_ && mainWindow_->isVisible()) mainWindow_->activateWindow();
}

int64_t TFWait::BarPosition() const { return progBar_->Position(); }

QString TFWait::Caption() const { return Label1_->text(); }

void TFWait::ShowNow()
{
    if (isVisible()) repaint();
}

void TFWait::Pump()
{
    if (ProcessEvents) ProcessEvents();
}

void TFWait::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawImage(AnimationRect.topLeft(), frames_[static_cast<size_t>(frame_)]);
    // The frame shape: a 2-pixel pen just inside the window's edge, no fill.
    painter.setPen(QPen(QColor(54, 54, 54), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void TFWait::mousePressEvent(QMouseEvent* event)
{
    // The escape: forget the open ranges; the window stays up until the
    // next Start/Finish pair.
    if (event->button() == Qt::RightButton) NestLevel_ = 0;
    QWidget::mousePressEvent(event);
}

void TFWait::showEvent(QShowEvent* event)
{
    const QString caption = QString::fromStdString(WaitText);
    Label1_->setText(caption);
    // The longest caption is a little wider than the window allows.
    FitFontToWidth(*Label1_, font(), caption);
    frame_ = 0;
    timer_->start();
    QWidget::showEvent(event);
}

void TFWait::hideEvent(QHideEvent* event)
{
    timer_->stop();
    QWidget::hideEvent(event);
}

void TFWait::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) raise();
    QWidget::changeEvent(event);
}
