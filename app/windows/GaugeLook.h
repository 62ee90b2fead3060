// The look shared by every gauge of the main window and the colour panel,
// and the window colours (0x00BBGGRR numbers) the layout is written in.
#pragma once

#include <QColor>

#include <cstdint>

class TNumericGaugeBar;

// A window colour number: red in the low byte, then green, then blue.
QColor WinColor(uint32_t bgr);

// Gives a gauge the colours all fourteen gauges share.
void ApplyGaugeLook(TNumericGaugeBar& gauge);
