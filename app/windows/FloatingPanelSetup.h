// The five floating settings panels of the main window: their tags (which
// tie a panel to its openers), captions, sizes, pins and close-button hints.
#pragma once

#include <QSize>
#include <QString>

enum TFloatingPanelTag : int {
    ptStrokeSettings = 1000,
    ptColorSettings = 1001,
    ptBrushes = 1002,
    ptAdvSettings = 1003,
    ptSizeDensity = 1004,
};

struct TFloatingPanelSetup {
    int Tag = 0;
    QString Caption;
    // The whole panel, header row included; the host window takes this size.
    QSize Size;
    // Whether the header shows a pin button.
    bool Pinnable = true;
    // The close button's hint ("" for none).
    QString CloseHint;
};

// The row of the main window's panel with `tag` (one of TFloatingPanelTag);
// any other tag raises EngineError.
const TFloatingPanelSetup& StandardPanelSetup(int tag);
