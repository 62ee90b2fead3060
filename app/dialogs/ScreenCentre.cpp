#include "app/dialogs/ScreenCentre.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace {

void CentreIn(QWidget& window, const QRect& area)
{
    if (!area.isValid()) return;
    const QRect frame = window.frameGeometry();
    window.move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) CentreIn(window, screen->availableGeometry());
}

void CentreOnOwner(QWidget& window, const QWidget* owner)
{
    if (owner && owner->isVisible())
        CentreIn(window, owner->frameGeometry());
    else
        CentreOnScreen(window);
}

QRect FitOnScreen(QSize design, QSize minimum, QMargins frame, QRect available)
{
    const QSize client = design.boundedTo(available.size().shrunkBy(frame)).expandedTo(minimum);
    const QSize whole = client.grownBy(frame);
    const QPoint corner(available.left() + std::max(0, (available.width() - whole.width()) / 2),
                        available.top() + std::max(0, (available.height() - whole.height()) / 2));
    return QRect(corner, whole);
}

namespace {

// A frame of about the size that the usual window managers draw: a bigger
// guess costs a few pixels of height until the real frame is known, a
// smaller one would leave the bottom edge off a screen just too small.
const QMargins GuessedFrame(4, 32, 4, 4);

QSize MinimumSize(const QWidget& window)
{
    return window.minimumSize().expandedTo(window.minimumSizeHint());
}

QRect AvailableArea(const QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

// Fits the window once more when its real frame is first known: by then the
// window manager has framed and placed it. Runs once, so the window's own
// move and resize cannot start a chain of them.
class TFrameWatch : public QObject {
public:
    TFrameWatch(QWidget& window, QSize design) : QObject(&window), window_(window), design_(design)
    {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::Show) return false;
        const QRect outer = window_.frameGeometry(), inner = window_.geometry();
        // Without a window manager, or before it has framed the window, the
        // frame is the client area.
        if (!window_.isVisible() || outer == inner) return false;
        window_.removeEventFilter(this);
        const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                             outer.bottom() - inner.bottom());
        const QRect available = AvailableArea(window_);
        const QRect fitted = FitOnScreen(design_, MinimumSize(window_), frame, available);
        // A window that fits is left where it is, not moved by the few
        // pixels between the guessed frame and the real one.
        const bool fits = available.contains(outer) && fitted.size() == outer.size();
        QWidget* window = &window_;
        const QRect client = fitted.marginsRemoved(frame);
        if (!fits && available.isValid())
            QMetaObject::invokeMethod(window, [window, client] { window->setGeometry(client); }, Qt::QueuedConnection);
        deleteLater();
        return false;
    }

private:
    QWidget& window_;
    QSize design_;
};

} // namespace

void PlaceOnScreen(QWidget& window, QSize design)
{
    const QRect available = AvailableArea(window);
    if (!available.isValid()) {
        window.resize(design);
        return;
    }
    const QRect fitted = FitOnScreen(design, MinimumSize(window), GuessedFrame, available);
    window.resize(fitted.marginsRemoved(GuessedFrame).size());
    // Before the window is shown a move places its frame's corner.
    window.move(fitted.topLeft());
    new TFrameWatch(window, design);
}
