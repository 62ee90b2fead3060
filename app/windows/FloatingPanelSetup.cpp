#include "app/windows/FloatingPanelSetup.h"

#include "gfx/Errors.h"

#include <array>

const TFloatingPanelSetup& StandardPanelSetup(int tag)
{
    // The hints are the layout's own, the full stop of "Color Variation" included.
    static const std::array<TFloatingPanelSetup, 5> setups{{
        {ptStrokeSettings, "Stroke Settings", {222, 69}, true, "Close window"},
        {ptColorSettings, "Color Variation", {203, 74}, true, "Close window."},
        {ptBrushes, "Brushes Collection", {162, 142}, false, ""},
        {ptAdvSettings, "Advanced Settings", {217, 97}, true, "Close window"},
        {ptSizeDensity, "Size & Density", {193, 62}, true, "Close window"},
    }};
    for (const TFloatingPanelSetup& setup : setups)
        if (setup.Tag == tag) return setup;
    throw EngineError("No floating panel has the tag " + std::to_string(tag));
}
