// TFMain: the main window. The menu of the command module's actions, the
// source and result views side by side, the bottom bar of tool panels (tools,
// project info, style, size and density, patterns, colours), the floating
// settings panels with the gauges bound to the current style and document,
// the status bar, the "What is this?" mode and the command-line project.
//
// One class over several files, one per area: MainWindow.cpp (creation,
// menus, events, close, idle, Shift forwarding, help mode), MainWindowViews.cpp
// (the view pair and its scroll sync), MainWindowSettings.cpp (the gauges and
// the style binding), MainWindowLists.cpp (the style list, the brush and
// pattern thumbnails), MainWindowLayout.cpp (the bottom bar and the colour
// panel) and MainWindowPanels.cpp (the floating panels and their gauges).
#pragma once

#include "app/domain/CommandId.h"
#include "app/ui/IMainWindow.h"
#include "app/windows/MainWindowPictures.h"
#include "app/windows/MainWindowRules.h"
#include "engine/PolyBezier.h"
#include "gfx/Bitmap32.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>

#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QSplitter;
class QToolButton;
class TBitmap32List;
class TColorPanel;
class TFHlpWnd;
class TFNavigator;
class TPanelManager;
class TDomain;
class TDualImage;
class TImageList;
class TImageListViewer;
class TImageListViewer32;
class TImageViewWidget;
class TNumericGaugeBar;

class TFMain : public QMainWindow, public IMainWindow, private IHandleGlyphSource {
    Q_OBJECT

public:
    // FormCreate. `arguments` are the command-line arguments after the
    // program name; FormShow opens a single one as a project.
    TFMain(TDomain& domain, QStringList arguments, QWidget* parent = nullptr);
    // FormDestroy.
    ~TFMain() override;

    // --- IMainWindow ---------------------------------------------------
    void UpdateControls() override;
    void UpdateStyleFrame(int index) override;
    void UpdateBrushPreview() override;
    void SelectFirstStyle() override;
    void BindSaveProjectButton(bool toSave) override;
    void ResetColorPanel() override;
    void ShowNavigator() override;
    void HideNavigator() override;

    // --- Settings (MainWindowSettings.cpp) -------------------------------
    void DrawSizePreview();
    // The style combo box's user choice.
    void cbStylesChange();
    // Commits the gauges whose text the user typed since their last update
    // (the press handler of both views).
    void PainWindowMouseDown();

    // --- Lists (MainWindowLists.cpp) -------------------------------------
    void FillStylesCombo();
    void FillPatternImageList();
    void FillStrokesImageList();
    void UpdatePatternFrame(int index);
    void UpdateStroke(int index);
    void PatternImageListViewerMouseUpThumb(int index);
    void StrokesImgLstVwrMouseUpThumb(int index);

    // --- Events (MainWindow.cpp) -----------------------------------------
    // "What is this?": the next left press anywhere shows help for the
    // pressed control instead of acting.
    void StartContextHelp();
    bool ContextHelpMode() const { return contextHelpMode_; }
    // The idle work: the commands' enabled flags, then one old undo step to
    // disk. The program's about-to-block hook calls it (never a pump).
    void ApplicationEvents1Idle();
    // Opens the help window on a topic ("" is its default topic). Set by
    // whoever owns the help window; tests record the topic.
    std::function<void(const std::string& topic)> OnShowHelp;
    // The help window and the navigator, which start-up makes after this
    // window (borrowed; they must outlive it or be unset first).
    void SetHelpWindow(TFHlpWnd* helpWindow);
    void SetNavigator(TFNavigator* navigator);
    // The floating panels follow the application's activation; the tools
    // let go of Shift when another program takes it.
    void ApplicationEvents1Activate();
    void ApplicationEvents1Deactivate();

    // --- Read by others and by tests --------------------------------------
    TDomain& Domain() const { return domain_; }
    TImageViewWidget* ImgSrc() const { return imgSrc_; }
    TImageViewWidget* ImgDst() const { return imgDst_; }
    QSplitter* glSplitter() const { return glSplitter_; }
    QWidget* panDual() const { return panDual_; }
    QWidget* panPanels() const { return panPanels_; }
    QComboBox* cbStyles() const { return cbStyles_; }
    QAbstractButton* btPS() const { return btPS_; }
    TCommandId btPSCommand() const { return btPSCommand_; }
    QLabel* lblPSCount() const { return lblPSCount_; }
    QLabel* lblKbSize() const { return lblKbSize_; }
    QLabel* StatusPanel() const { return statusPanel_; }
    TNumericGaugeBar* Gauge(TStyleSetting setting) const { return styleGauges_[static_cast<size_t>(setting)]; }
    TNumericGaugeBar* gaSize() const { return gaSize_; }
    TNumericGaugeBar* gaDensity() const { return gaDensity_; }
    QCheckBox* cbStopBorder() const { return cbStopBorder_; }
    // The entry text of style list entry `index` (rich text).
    std::string StyleEntry(int index) const;
    QWidget* ToolPanel(int index) const { return toolPanels_[static_cast<size_t>(index)]; }
    QAbstractButton* ToolButton(int index) const { return toolButtons_[static_cast<size_t>(index)]; }
    QWidget* FloatingPanel(int index) const { return floatingPanels_[static_cast<size_t>(index)]; }
    const TBitmap32& ImgSizeBitmap() const { return imgSizeBitmap_; }
    const TBitmap32& ImgPreviewStyleBitmap() const { return imgPreviewStyleBitmap_; }
    const TBitmap32& ImgBrushBitmap() const { return imgBrushBitmap_; }
    TImageList& PatternImageList() const { return *patternImageList_; }
    TBitmap32List& StrokesImgLst() const { return *strokesImgLst_; }
    TImageListViewer* PatternImageListViewer() const { return patternViewer_; }
    TImageListViewer32* ImgLstVwrBrushes() const { return brushViewer_; }
    // StockImages: 0 the curves' handle glyph, 1 the polygon renderer's picture.
    const TBitmap32& StockImage(int index) const { return stockImages_[static_cast<size_t>(index)]; }

    // Tool panels, in the bottom bar's order after the tools.
    enum { tpProjectInfo, tpStyle, tpSize, tpPatterns, tpColors, tpCount };
    // Floating panels, by tag - 1000 (ptStrokeSettings).
    enum { fpStrokeSettings, fpColorSettings, fpBrushes, fpAdvSettings, fpSizeDensity, fpCount };

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // MainWindow.cpp
    void BuildMenus();
    void FormShow();
    bool HelpClick(QObject* watched, QEvent* event);
    bool ForwardShift(QObject* watched, QEvent* event);
    // The brush preview's click, and moves over the previews that hide panels.
    bool PanelEvent(QObject* watched, QEvent* event);
    void EndContextHelp();
    // The windows that serve this one: the floating panels' hosts, the
    // navigator and the help window, when set.
    std::vector<QWidget*> ServingWindows() const;
    // Lets the commands' keys answer in `other` while it is the active
    // window, or no longer.
    void ShareCommandKeys(QWidget& other, bool share);
    const TBitmap32* HandleGlyph() const override;
    // Binds a button to a command: a click runs it, its enabled flag follows.
    void BindButton(QAbstractButton* button, TCommandId id);
    // Runs a handler as an event handler must: nothing it throws gets further.
    void Guarded(const std::function<void()>& handler);

    // MainWindowViews.cpp
    void BuildViews(QWidget* host);
    void SplitViews();
    void ImgScroll(TImageViewWidget* scrolled);
    void GeneralMouseMove();

    // MainWindowLayout.cpp (with the colour panel) and MainWindowPanels.cpp
    void BuildColorPanel(QWidget* panel);
    void UpdateColorPanelFromDocument();
    void ClickColorModeButton(uint8_t colorMode);
    std::vector<TNumericGaugeBar*> ColorPanelGauges() const;
    void BuildBottomBar(QWidget* host);
    void LoadBackgroundTile(QWidget& bar);
    QWidget* BuildToolsPanel();
    QWidget* BuildProjectPanel();
    QWidget* BuildStylePanel();
    QWidget* BuildSizePanel();
    QWidget* BuildPatternPanel();
    QWidget* BuildColorsPanel();
    // A row of picture buttons at the top of a tool panel, each bound to its command.
    struct TCommandButton {
        TGlyph Glyph;
        TCommandId Command;
        const char* Name;
    };
    void AddCommandButtons(QWidget* panel, int left, int step, std::initializer_list<TCommandButton> buttons);
    void BuildFloatingPanels();
    QWidget* NewFloatingPanel(int index);
    TNumericGaugeBar* NewGauge(QWidget* panel, const QString& label, int y, double min, double max);
    QLabel* NewOpener(QWidget* panel, const QString& text, int floatingPanel, QRect labelRect, QPoint buttonPos);
    void HideUnfixedPanels();
    void ShowFixedPanels();
    void HideAllPanels();

    // MainWindowSettings.cpp
    void WireSettingHandlers();
    void DetachSettingHandlers();
    void AttachSettingHandlers();
    void StyleGaugeChange(TStyleSetting setting);
    void gaSizeChange();
    void gaDensityChange();
    // Size and Density: the document's value when it differs, then the preview.
    void DocumentGaugeChange(const TNumericGaugeBar& gauge, int32_t (TDualImage::*held)() const,
                             void (TDualImage::*write)(int32_t));
    // The radius and density the size preview draws: the document's, or the
    // gauges' without one.
    std::pair<int32_t, int32_t> SizePreviewValues() const;
    // Redraws the size preview unless it shows those values already.
    void SyncSizePreview();
    void cbStopBorderClick();
    void UpdateControlsWithoutDocument();
    // The stroke count and memory texts of "Project info" and the status bar.
    void UpdateProjectInfo();
    void UpdateToolPanels();
    void UpdateGauges();
    void ShowPreview(QLabel* label, const TBitmap32& bitmap);
    void ImgBrushClick();

    // MainWindowLists.cpp
    QComboBox* NewStyleCombo(QWidget* parent);
    void SetStyleEntry(int index, const std::string& entry);
    void AddStyleFrameToImageList();
    void OnUpdateStyleFrame(int index);
    void OnDeleteStyleFrame(int index);
    void OnUpdatePatternFrame(int index);
    void ShowCurrentPattern();
    void ShowCurrentBrush();
    void OnDeletePatternFrame(int index);

    TDomain& domain_;
    QStringList arguments_;
    bool contextHelpMode_ = false;
    bool swallowHelpRelease_ = false;
    bool forwardingShift_ = false;
    bool scrolling_ = false;
    bool shownOnce_ = false;
    bool settingHandlersAttached_ = false;

    // The view area and its views.
    QWidget* panDual_ = nullptr;
    QSplitter* glSplitter_ = nullptr;
    TImageViewWidget* imgSrc_ = nullptr;
    TImageViewWidget* imgDst_ = nullptr;

    // The bottom bar.
    QWidget* panPanels_ = nullptr;
    std::array<QWidget*, tpCount> toolPanels_{};
    std::array<QAbstractButton*, 5> toolButtons_{};
    QButtonGroup* toolGroup_ = nullptr;
    QLabel* lblPSCount_ = nullptr;
    QLabel* lblKbSize_ = nullptr;
    QAbstractButton* btPS_ = nullptr;
    TCommandId btPSCommand_ = TCommandId::SaveProjectAs;
    QComboBox* cbStyles_ = nullptr;
    QLabel* imgPreviewStyle_ = nullptr;
    QLabel* imgBrush_ = nullptr;
    QLabel* imgSize_ = nullptr;
    TBitmap32 imgPreviewStyleBitmap_;
    TBitmap32 imgBrushBitmap_;
    TBitmap32 imgSizeBitmap_;
    // The radius and density the size preview was last drawn with.
    std::pair<int32_t, int32_t> sizePreviewShows_{-1, -1};
    QLabel* statusPanel_ = nullptr;

    // The floating panels and their gauges.
    std::array<QWidget*, fpCount> floatingPanels_{};
    std::array<TNumericGaugeBar*, 9> styleGauges_{};
    TNumericGaugeBar* gaSize_ = nullptr;
    TNumericGaugeBar* gaDensity_ = nullptr;
    QCheckBox* cbStopBorder_ = nullptr;
    QToolButton* brushesOpener_ = nullptr;
    QPointer<TFNavigator> navigator_;
    QPointer<TFHlpWnd> helpWindow_;
    std::unique_ptr<TPanelManager> PanelManager_;
    std::unique_ptr<TColorPanel> ColorPanel_;

    // The lists.
    TImageList* patternImageList_ = nullptr;
    TBitmap32List* strokesImgLst_ = nullptr;
    TImageListViewer* patternViewer_ = nullptr;
    TImageListViewer32* brushViewer_ = nullptr;
    std::array<TBitmap32, 2> stockImages_;
};
