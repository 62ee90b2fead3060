// TFPatternEdit: the dialog in which the user draws the curves of a pattern,
// frame by frame. It is the pattern manager's editor form: the manager hands
// it a pattern and shows it modally for New and Edit. A row of five
// thumbnails picks the frame; the add-curve tool draws new curves and the
// pointer drags their points; every change is written straight back into
// the frame's Bezier records and redrawn in its thumbnail. Cancel puts the
// frames back as they were when the pattern was handed over.
#pragma once

#include "engine/Patterns.h"
#include "engine/PersistentObject.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <memory>
#include <vector>

class QFrame;
class QPushButton;
class TAbstractInputController;
class TAddCurveInputController;
class TFrameThumbnail;
class TImageViewWidget;
class TPersistentObjectManager;
class TPointerInputController;
class TPolyBezierLayer;
class TTiledPanel;

class TFPatternEdit : public QDialog, public TFormPersistentObject {
    Q_OBJECT

public:
    static constexpr int FrameSlots = 5;

    // Registers the form as the editor of PatternManager when one is given;
    // the form must then outlive the manager's use of it.
    explicit TFPatternEdit(TPersistentObjectManager* patternManager = nullptr, QWidget* parent = nullptr);
    ~TFPatternEdit() override;

    // The tile behind the tool panel, the editing area and the frame row;
    // taken from the global configuration when it exists.
    void SetBackgroundTile(const QImage& tile);

    // --- The editor form -------------------------------------------------------
    void SetCaption(const std::string& caption) override;
    // Keeps the pattern (a TPattern) and the frames it holds now, for Cancel.
    void SetObject(TPersistentObject* obj) override;
    // Patterns carry no name.
    std::string GetObjectName() override { return {}; }
    int ShowModal() override;

    // --- What the dialog shows and does ------------------------------------------
    // Shows frame Index (0..4) in the editing view; a frame the pattern does
    // not have yet is added, empty, with any missing ones before it.
    void SelectFrame(int32_t index);
    int32_t CurrentFrame() const { return currentFrame_; }
    // The pointer (SpeedButton1) and the add-curve tool (SpeedButton2).
    void SelectPointerTool();
    void SelectAddCurveTool();
    TAbstractInputController* CurrentTool() const { return currentTool_; }

    TImageViewWidget& ImgView() const { return *imgView_; }
    TPolyBezierLayer& CurveLayer() const { return *curveLayer_; }
    const TBitmap32& Thumbnail(int32_t index) const;
    QWidget& ThumbnailControl(int32_t index) const;
    bool BevelLowered(int32_t index) const;
    QPushButton& PointerButton() const { return *pointerButton_; }
    QPushButton& AddCurveButton() const { return *addCurveButton_; }
    QPushButton& AcceptButton() const { return *acceptButton_; }
    QPushButton& CancelButton() const { return *cancelButton_; }

    // Cancel (or closing the window) puts the frames back first.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildControls();
    void BuildTools();
    // FormShow: grey thumbnails, then every shown frame drawn into its own.
    void ShowFrames();
    // The layer's change event: the current frame is rewritten from the curves.
    void CurvesChanged();
    void UpdateFrameThumbnail();
    void ClearThumbnail(int32_t index);
    void ChooseTool(TAbstractInputController& tool);
    void RestoreFrames();

    TTiledPanel* panel1_ = nullptr;
    TTiledPanel* editArea_ = nullptr;
    TTiledPanel* panel2_ = nullptr;
    TImageViewWidget* imgView_ = nullptr;
    QFrame* shape1_ = nullptr;
    QPushButton* pointerButton_ = nullptr;
    QPushButton* addCurveButton_ = nullptr;
    QPushButton* acceptButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    std::array<QFrame*, FrameSlots> bevels_{};
    std::array<TFrameThumbnail*, FrameSlots> thumbnails_{};

    TPattern* pattern_ = nullptr;
    // The frames as handed over, put back by Cancel.
    std::vector<TPatternFrame> savedFrames_;
    int32_t currentFrame_ = 0;
    bool loading_ = false;
    std::unique_ptr<TPolyBezierLayer> curveLayer_;
    std::unique_ptr<TPointerInputController> pointer_;
    std::unique_ptr<TAddCurveInputController> addCurve_;
    TAbstractInputController* currentTool_ = nullptr;
};
