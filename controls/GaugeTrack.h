// The draggable part of the numeric gauge bar: a flat horizontal track with
// a handle, positions Min..Max. Only the user's moves report OnChange; a
// position set in code is silent.
#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class QMouseEvent;

class TGaugeTrack : public QWidget {
public:
    explicit TGaugeTrack(QWidget* parent = nullptr);

    int Min() const { return FMin; }
    int Max() const { return FMax; }
    int Position() const { return FPosition; }
    int LargeChange() const { return FLargeChange; }
    void SetRange(int min, int max);
    void SetPosition(int position);
    void SetLargeChange(int step) { FLargeChange = step < 1 ? 1 : step; }

    QColor Color() const { return FColor; }
    QColor HandleColor() const { return FHandleColor; }
    void SetColor(const QColor& color);
    void SetHandleColor(const QColor& color);

    // The left edge of the handle for a position, in pixels; tests drag by it.
    int HandleLeft(int position) const;
    int HandleWidth() const;

    std::function<void(TGaugeTrack* Sender)> OnChange;
    std::function<void(TGaugeTrack* Sender, QMouseEvent* Event)> OnMouseDown, OnMouseMove, OnMouseUp;

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int Travel() const;
    int PositionAtHandleLeft(int left) const;
    void UserMove(int position);
    void PaintTrack(class QPainter& p) const;
    void PaintHandle(class QPainter& p) const;

    int FMin = 0, FMax = 100, FPosition = 0, FLargeChange = 1;
    QColor FColor, FHandleColor;
    int GrabOffset = -1; // where the handle was caught while dragging, else -1
};
