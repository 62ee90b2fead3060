#include "app/windows/MainWindowRules.h"

#include "engine/Styles.h"
#include "gfx/NumberText.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

std::string StyleEntryText(const std::string& name, bool modified, int32_t index)
{
    if (!modified || index <= 0) return name;
    return "<i><font color=\"255\">" + name + " (not saved) </font></i>";
}

std::string EntryTextToQtHtml(const std::string& entryText)
{
    // color="<decimal BGR>" becomes color="#rrggbb"; only the low 24 bits of
    // the number count, kept while reading so that no digit string overflows.
    static constexpr std::string_view open = "color=\"";
    std::string out;
    size_t done = 0;
    for (size_t at = entryText.find(open); at != std::string::npos; at = entryText.find(open, at + 1)) {
        size_t end = at + open.size();
        unsigned long bgr = 0;
        while (end < entryText.size() && entryText[end] >= '0' && entryText[end] <= '9')
            bgr = (bgr * 10 + static_cast<unsigned long>(entryText[end++] - '0')) & 0xFFFFFFu;
        if (end == at + open.size() || end >= entryText.size() || entryText[end] != '"') continue;
        char rgb[8];
        std::snprintf(rgb, sizeof rgb, "#%02lx%02lx%02lx", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
        out.append(entryText, done, at - done);
        out += "color=\"";
        out += rgb;
        out += "\"";
        done = end + 1;
        at = end;
    }
    out.append(entryText, done, std::string::npos);
    return out;
}

int32_t PolyStepFromPrecision(double precision, double maxValue) { return Round(maxValue - precision); }

double PrecisionFromPolyStep(int32_t polyStep, double maxValue) { return maxValue - polyStep; }

double StyleSettingValue(TStyleSetting setting, const TGStyle& style, double maxValue)
{
    switch (setting) {
    case TStyleSetting::Width: return style.GetGain();
    case TStyleSetting::Alpha: return style.GetAlpha();
    case TStyleSetting::Length: return style.GetLength();
    case TStyleSetting::HueVar: return style.GetHueVar();
    case TStyleSetting::SatVar: return style.GetSatVar();
    case TStyleSetting::LightVar: return style.GetLightVar();
    case TStyleSetting::ScanWidth: return style.GetScanWidth();
    case TStyleSetting::BorderLimit: return style.GetBorderLimit();
    case TStyleSetting::Precision: return PrecisionFromPolyStep(style.GetPolyStep(), maxValue);
    }
    return 0.0;
}

namespace {

// The integer a gauge value stands for; Precision counts down from its maximum.
int64_t IntegerTarget(TStyleSetting setting, double gaugeValue, double maxValue)
{
    if (setting == TStyleSetting::Precision) return PolyStepFromPrecision(gaugeValue, maxValue);
    return Round64(gaugeValue);
}

int64_t IntegerHeld(TStyleSetting setting, const TGStyle& style)
{
    switch (setting) {
    case TStyleSetting::Alpha: return style.GetAlpha();
    case TStyleSetting::Length: return style.GetLength();
    case TStyleSetting::HueVar: return style.GetHueVar();
    case TStyleSetting::SatVar: return style.GetSatVar();
    case TStyleSetting::LightVar: return style.GetLightVar();
    case TStyleSetting::BorderLimit: return style.GetBorderLimit();
    case TStyleSetting::Precision: return style.GetPolyStep();
    default: return 0;
    }
}

} // namespace

bool StyleSettingDiffers(TStyleSetting setting, const TGStyle& style, double gaugeValue, double maxValue)
{
    switch (setting) {
    case TStyleSetting::Width: return Single(gaugeValue) != style.GetGain();
    case TStyleSetting::ScanWidth: return Single(gaugeValue) != style.GetScanWidth();
    default: return IntegerTarget(setting, gaugeValue, maxValue) != IntegerHeld(setting, style);
    }
}

bool WriteStyleSetting(TStyleSetting setting, TGStyle& style, double gaugeValue, double maxValue)
{
    if (!StyleSettingDiffers(setting, style, gaugeValue, maxValue)) return false;
    const int32_t rounded = Round(gaugeValue);
    switch (setting) {
    case TStyleSetting::Width: style.SetGain(Single(gaugeValue)); break;
    case TStyleSetting::Alpha: style.SetAlpha(rounded); break;
    case TStyleSetting::Length: style.SetLength(rounded); break;
    case TStyleSetting::HueVar: style.SetHueVar(rounded); break;
    case TStyleSetting::SatVar: style.SetSatVar(rounded); break;
    case TStyleSetting::LightVar: style.SetLightVar(rounded); break;
    case TStyleSetting::ScanWidth: style.SetScanWidth(Single(gaugeValue)); break;
    case TStyleSetting::BorderLimit: style.SetBorderLimit(rounded); break;
    case TStyleSetting::Precision: style.SetPolyStep(PolyStepFromPrecision(gaugeValue, maxValue)); break;
    }
    return true;
}

bool SettingRedrawsStyleEntry(TStyleSetting setting)
{
    switch (setting) {
    case TStyleSetting::Width:
    case TStyleSetting::Alpha:
    case TStyleSetting::Length:
    case TStyleSetting::HueVar:
    case TStyleSetting::SatVar:
    case TStyleSetting::LightVar: return true;
    default: return false;
    }
}

TViewWidths SplitViewWidths(int32_t clientWidth, int32_t splitterWidth)
{
    const int32_t w = std::max(0, clientWidth - splitterWidth);
    return {w / 2, w / 2 + w % 2};
}

TSizePreviewGeometry SizePreviewGeometry(int32_t width, int32_t height, int32_t radius)
{
    TSizePreviewGeometry g;
    // A radius below 1 cannot come from the gauges or the document; it is
    // drawn as a point rather than divided by.
    const double r = std::max(radius, 1);
    g.Scale = std::min(width / (2.0 * r), height / (2.0 * r));
    if (g.Scale >= 1.0) {
        g.Radius = radius;
    } else {
        g.Radius = std::min(width, height) / 2 - 5;
        g.Label = FormatGeneral(g.Scale * 100.0, 3) + "%";
    }
    return g;
}
