#include "app/dialogs/SecretPanel.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>

namespace {

constexpr int ScrollInterval = 30; // ms per pixel

} // namespace

int SecretPanelCycle(int panelHeight, int lineCount, int lineHeight)
{
    return std::max(panelHeight, 0) + std::max(lineCount, 0) * std::max(lineHeight, 0);
}

TSecretPanel::TSecretPanel(QWidget* parent) : QWidget(parent), timer_(new QTimer(this))
{
    timer_->setInterval(ScrollInterval);
    connect(timer_, &QTimer::timeout, this, [this] { Step(); });
}

void TSecretPanel::SetLines(const QStringList& lines)
{
    lines_ = lines;
    offset_ = 0;
    update();
}

void TSecretPanel::SetActive(bool active)
{
    if (active == Active()) return;
    offset_ = 0;
    if (active)
        timer_->start();
    else
        timer_->stop();
    update();
}

bool TSecretPanel::Active() const { return timer_->isActive(); }

void TSecretPanel::Step()
{
    if (++offset_ >= SecretPanelCycle(height(), int(lines_.size()), LineHeight())) offset_ = 0;
    update();
}

int TSecretPanel::LineHeight() const { return QFontMetrics(font()).height(); }

void TSecretPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QLinearGradient shade(0, 0, 0, height());
    shade.setColorAt(0, QColor(20, 70, 80));
    shade.setColorAt(1, QColor(40, 120, 135));
    painter.fillRect(rect(), shade);
    painter.setPen(QColor(70, 150, 160));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    if (!Active()) return;
    painter.setPen(Qt::white);
    const int lineHeight = LineHeight();
    const int top = height() - offset_;
    for (int i = 0; i < lines_.size(); ++i)
        painter.drawText(QRect(2, top + i * lineHeight, width() - 4, lineHeight), Qt::AlignCenter, lines_.at(i));
}

#include "moc_SecretPanel.cpp"
