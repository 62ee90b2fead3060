#include "app/windows/HeaderPanel.h"

#include "app/windows/GaugeLook.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/windows/PanelButtonPictures.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QToolButton>

namespace {

// The layout's two window colours: its own number, and the toolkit's named
// "sky blue" ($F0CAA6: red 166, green 202, blue 240).
const QColor GradientStart = WinColor(11559221);
const QColor SkyBlue = WinColor(0xF0CAA6);
constexpr int ButtonSize = 18;

} // namespace

THeaderPanel::THeaderPanel(const TFloatingPanelSetup& setup, QWidget* content, QWidget* parent)
    : QWidget(parent), setup_(setup), content_(content), caption_(new QLabel(setup.Caption, this))
{
    setObjectName(setup.Caption);
    // Children inherit white text, so the settings' labels read on the gradient.
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    setPalette(palette);

    QFont font = caption_->font();
    font.setPixelSize(13);
    font.setBold(true);
    caption_->setFont(font);
    caption_->adjustSize();
    caption_->move(4, 1);

    close_ = HeaderButton(setup.CloseHint);
    close_->setIcon(PanelButtonPicture(TPanelButtonPicture::Close));
    QObject::connect(close_, &QToolButton::clicked, this, [this] {
        if (OnClose) GuardedHandler("Close panel", OnClose);
    });
    if (setup.Pinnable) {
        pin_ = HeaderButton("Fix the window");
        ShowPinned(false);
        QObject::connect(pin_, &QToolButton::clicked, this, [this] {
            if (OnPin) GuardedHandler("Pin panel", OnPin);
        });
    }
    if (content_) {
        // The content covers the whole panel, in the panel's own coordinates,
        // under the caption and the buttons.
        content_->setParent(this);
        content_->lower();
    }
    resize(setup.Size);
}

QToolButton* THeaderPanel::HeaderButton(const QString& hint)
{
    auto* button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(ButtonSize, ButtonSize);
    button->setIconSize(QSize(ButtonSize, ButtonSize));
    button->setToolTip(hint);
    return button;
}

void THeaderPanel::ShowPinned(bool pinned)
{
    if (pin_)
        pin_->setIcon(PanelButtonPicture(pinned ? TPanelButtonPicture::Pinned : TPanelButtonPicture::NotPinned));
}

void THeaderPanel::resizeEvent(QResizeEvent*)
{
    close_->move(width() - ButtonSize - 1, 0);
    if (pin_) pin_->move(width() - 2 * ButtonSize - 1, 0);
    if (content_) content_->setGeometry(rect());
}

void THeaderPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient gradient(0, 0, width(), 0);
    gradient.setColorAt(0, GradientStart);
    gradient.setColorAt(1, SkyBlue);
    p.fillRect(rect(), gradient);
}
