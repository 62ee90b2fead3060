// TNumericGaugeBar: the value control of the numeric settings. A gauge the
// user drags, beside a small edit box where the same value can be typed; the
// gauge maps its positions to values on a linear or logarithmic scale, the box
// shows the value as an integer or a rounded decimal, and every change is
// reported through OnChange.
#pragma once

#include "controls/GaugeScale.h"

#include <QColor>
#include <QWidget>

#include <functional>

class QMouseEvent;
class TGaugeTrack;
class TOcraEdit;

class TNumericGaugeBar : public QWidget {
public:
    explicit TNumericGaugeBar(QWidget* parent = nullptr);

    // Writing clamps into [MinValue, MaxValue] (the upper bound wins when they
    // cross), moves the gauge to the nearest position, rewrites the text and
    // fires OnChange, even when the value is the one already held. A value
    // that is not a number is ignored.
    float Value() const { return FValue; }
    void SetValue(double value);

    // Each write rebuilds the scale and ends in a value write, so OnChange
    // fires once per write. Bounds that are not finite are ignored.
    float MinValue() const { return FMinValue; }
    float MaxValue() const { return FMaxValue; }
    bool LogScale() const { return FLogScale; }
    bool IntValue() const { return FIntValue; }
    void SetMinValue(float value);
    void SetMaxValue(float value);
    void SetLogScale(bool on);
    void SetIntValue(bool on);

    // Commits the edit box: a number becomes Value (returns true); any other
    // text leaves Value, the gauge and the text alone and fires nothing.
    bool AcceptText();

    QColor ColorGauge() const { return FColorGauge; }
    QColor ColorEdit() const { return FColorEdit; }
    QColor ColorHandle() const { return FColorHandle; }
    QColor ColorFont() const { return FColorFont; }
    QColor ColorShapePen() const { return FColorShapePen; }
    QColor ColorBackground() const { return FColorBackground; }
    void SetColorGauge(const QColor& color);
    void SetColorEdit(const QColor& color);
    void SetColorHandle(const QColor& color);
    void SetColorFont(const QColor& color);
    void SetColorShapePen(const QColor& color);
    void SetColorBackground(const QColor& color);

    TGaugeTrack* Gauge() const { return FGauge; }
    TOcraEdit* Edit() const { return FEdit; }

    // Handlers run inside Qt's event dispatch and must not throw.
    std::function<void(TNumericGaugeBar* Sender)> OnChange;
    // The focus left the control for another one.
    std::function<void(TNumericGaugeBar* Sender)> OnExit;
    // Mouse actions on the gauge only, with the gauge as sender and gauge
    // coordinates.
    std::function<void(TGaugeTrack* Sender, QMouseEvent* Event)> OnMouseDown, OnMouseMove, OnMouseUp;

    QSize sizeHint() const override { return {145, 14}; }
    QSize minimumSizeHint() const override { return {100, 14}; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void WireChildren();
    void PlaceChildren();
    void RebuildTable();
    void BuildScale();
    void GaugeChange();
    void UpdateText();
    void FireChange();
    void ExitIfFocusLeft();
    QRect FrameRect() const;

    TGaugeTrack* FGauge;
    TOcraEdit* FEdit;
    TGaugeScale Scale;
    bool FLogScale = false;
    float FMinValue = 1.0f, FMaxValue = 100.0f;
    float FValue = 10.0f;
    bool FIntValue = false;
    QColor FColorGauge, FColorEdit, FColorHandle, FColorFont, FColorShapePen, FColorBackground;
};
