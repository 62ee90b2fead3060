// TPanelManager: the floating settings panels of the main window. Each panel
// lives in a host window of its own (TFormPanel); a click on one of its
// openers shows it at the pointer, kept inside the main window's right and
// bottom edges; its pin keeps it shown while the pointer moves over the
// main window's working areas, which hides every unpinned panel; switching
// to another program hides them all and coming back shows the pinned ones.
//
// How the main window uses it (first thing in its creation):
//   PanelManager = std::make_unique<TPanelManager>(this);
//   PanelManager->AddPanel(StandardPanelSetup(ptStrokeSettings), strokeSettingsContent);
//   ... the same for ptColorSettings, ptBrushes, ptAdvSettings, ptSizeDensity ...
//   PanelManager->AddOpener(lblSettings, ptStrokeSettings);   // a label: click and hover underline
//   PanelManager->AddOpener(btSettings, ptStrokeSettings);    // a button: its clicked signal
//   ... an opener label and button per panel, JvXPToolButton4 for ptBrushes ...
//   PanelManager->AddAutoHideArea(panStyle);                  // tool panels, their opener buttons, btPS
// and calls PanelManager->HideUnfixed() from the views' and previews' mouse
// moves itself, where those moves pass through the tool manager first, and
// PanelManager->HideAll() from UpdateControls without a document. A click
// on the brush preview calls ShowPanels(ptBrushes). The content widgets hold
// the settings; each covers its whole panel (the setup's size) and places its
// controls below the header row (THeaderPanel::HeaderHeight), paints no
// background so the gradient shows, and its labels are white by inheritance.
//
// The panels' close and pin buttons are wired here: close hides the panel
// and unpins it, the pin toggles SetFixed. The manager also follows the
// application's activation (ShowFixed on activation, HideAll on
// deactivation) unless told not to.
//
// The hosts and the contents moved into them belong to the manager and go
// with it.
#pragma once

#include "app/windows/FloatingPanelSetup.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

class QWidget;
class TFormPanel;
class THeaderPanel;

class TPanelManager : public QObject {
public:
    // `owner` is the main window, whose edges a panel opened at the pointer
    // keeps to; nullptr keeps panels wherever the pointer is.
    explicit TPanelManager(QWidget* owner, bool followApplicationState = true);
    ~TPanelManager() override;

    // A new floating panel of `setup` around `content`, hidden.
    THeaderPanel* AddPanel(const TFloatingPanelSetup& setup, QWidget* content);
    // A click on `opener` shows the panels of `tag`. A label is clicked by a
    // left-button release over it and is underlined while the pointer is on
    // it; a button by its clicked signal. Openers show the hand cursor.
    void AddOpener(QWidget* opener, int tag);
    // A mouse move over `area` itself (not over its children) hides the
    // unpinned panels. A scroll area is watched on its viewport.
    void AddAutoHideArea(QWidget* area);

    // ControlClick: every panel of `tag` is shown at the pointer, in the order
    // the panels were added.
    void ShowPanels(int tag);
    // Hides the first panel of `tag` (its pin is left alone).
    void HidePanel(int tag);
    // The pin of the first panel of `tag`; false when there is none.
    bool IsFixed(int tag) const;
    // Pins or unpins the first panel of `tag` and shows the pin's picture.
    void SetFixed(int tag, bool value);
    void HideUnfixed();
    void ShowFixed();
    void HideAll();
    // The application became active (ShowFixed) or inactive (HideAll).
    void ApplicationStateChanged(Qt::ApplicationState state);

    // The first panel of `tag` and its host window; nullptr when none.
    THeaderPanel* Panel(int tag) const;
    TFormPanel* Host(int tag) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TEntry {
        std::unique_ptr<TFormPanel> Host;
        THeaderPanel* Panel;
        bool Fixed = false;
    };
    struct TOpener {
        QPointer<QWidget> Widget;
        int Tag;
        // A widget without a clicked signal (a label): a left release over it.
        bool ClickedByRelease;
    };

    void ShowPanel(TEntry& entry);
    TEntry* FirstEntry(int tag);
    const TEntry* FirstEntry(int tag) const;
    const TOpener* FindOpener(const QObject* widget) const;
    bool IsAutoHideArea(const QObject* widget) const;

    QPointer<QWidget> owner_;
    std::vector<TEntry> entries_;
    std::vector<TOpener> openers_;
    std::vector<QPointer<QWidget>> autoHideAreas_;
};
