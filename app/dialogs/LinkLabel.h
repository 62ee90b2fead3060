// TLinkLabel: a text label that acts as a link: hand cursor, and a click
// (press and release on it, while enabled) reports through OnClick.
#pragma once

#include <QLabel>

#include <functional>

class TLinkLabel : public QLabel {
    Q_OBJECT

public:
    explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

    std::function<void()> OnClick;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};
