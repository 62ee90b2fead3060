// The main window's rules that need no widget: how a style reads in the
// style list, how each gauge maps to the style parameter it edits, how the
// two views share the view area, and the arithmetic of the size preview.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

class TGStyle;

// The style list entry: the plain name, or for a modified style other than
// the built-in first one, the name in red italics with " (not saved) ".
std::string StyleEntryText(const std::string& name, bool modified, int32_t index);

// The entry text with its window colours (color="N", red in the low byte)
// turned into the "#rrggbb" form that Qt's rich text reads.
std::string EntryTextToQtHtml(const std::string& entryText);

// The style parameters that the gauges edit.
enum class TStyleSetting { Width, Alpha, Length, HueVar, SatVar, LightVar, ScanWidth, BorderLimit, Precision };

// Precision shows MaxValue - PolyStep, so a finer stroke outline reads as a
// higher precision.
int32_t PolyStepFromPrecision(double precision, double maxValue);
double PrecisionFromPolyStep(int32_t polyStep, double maxValue);

// The value a gauge shows for the style (`maxValue` is the gauge's upper
// bound, which the Precision mapping needs).
double StyleSettingValue(TStyleSetting setting, const TGStyle& style, double maxValue);
// Whether a gauge value differs from what the style holds: rounded values
// against integer and byte parameters as 64-bit integers, single against
// single for Width and Scan Width.
bool StyleSettingDiffers(TStyleSetting setting, const TGStyle& style, double gaugeValue, double maxValue);
// Writes a gauge value through the style's setter when it differs; answers
// whether it wrote.
bool WriteStyleSetting(TStyleSetting setting, TGStyle& style, double gaugeValue, double maxValue);
// The settings whose change redraws the style's list entry and preview at once.
bool SettingRedrawsStyleEntry(TStyleSetting setting);

// The widths of the destination and source views in a view area of
// `clientWidth` with a splitter of `splitterWidth`: the source takes the odd pixel.
struct TViewWidths {
    int32_t Dest = 0;
    int32_t Source = 0;
};
TViewWidths SplitViewWidths(int32_t clientWidth, int32_t splitterWidth);

// The size preview of a brush of radius R in a W x H picture: the scale at
// which the circle would fit, the radius drawn (shrunk to fit when the scale
// is below 1) and the percentage label shown then ("" otherwise).
struct TSizePreviewGeometry {
    double Scale = 1.0;
    double Radius = 0.0;
    std::string Label;
};
TSizePreviewGeometry SizePreviewGeometry(int32_t width, int32_t height, int32_t radius);
