#include "app/windows/GaugeLook.h"

#include "controls/NumericGaugeBar.h"

QColor WinColor(uint32_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }

void ApplyGaugeLook(TNumericGaugeBar& gauge)
{
    gauge.SetColorShapePen(WinColor(12145447));
    gauge.SetColorEdit(WinColor(15450539));
    gauge.SetColorFont(WinColor(7416098));
    gauge.SetColorGauge(WinColor(15450539));
    gauge.SetColorHandle(WinColor(12145447));
    gauge.SetColorBackground(WinColor(13411464));
}
