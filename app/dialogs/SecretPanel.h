// TSecretPanel: a small panel that scrolls a few lines of text upward through
// itself, over and over, while it is active (the about box's acknowledgements).
#pragma once

#include <QStringList>
#include <QWidget>

class QTimer;

// The scroll offset at which the lines have left a panel of the given height
// and the cycle starts again.
int SecretPanelCycle(int panelHeight, int lineCount, int lineHeight);

class TSecretPanel : public QWidget {
    Q_OBJECT

public:
    explicit TSecretPanel(QWidget* parent = nullptr);

    void SetLines(const QStringList& lines);
    const QStringList& Lines() const { return lines_; }

    // Starts from the bottom each time it is made active.
    void SetActive(bool active);
    bool Active() const;
    // Pixels scrolled so far in this cycle.
    int Offset() const { return offset_; }
    // One step of the scroll (the timer's tick).
    void Step();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int LineHeight() const;

    QStringList lines_;
    QTimer* timer_;
    int offset_ = 0;
};
