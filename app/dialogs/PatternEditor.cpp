#include "app/dialogs/PatternEditor.h"

#include "app/GlobalConfig.h"
#include "app/dialogs/GuardedHandler.h"
#include "app/tools/InputController.h"
#include "controls/ImageViewWidget.h"
#include "engine/PersistentObjectManager.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"
#include "gfx/Errors.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

#include <functional>

namespace {

constexpr const char* WindowName = "Pattern editor";
constexpr int ClientWidth = 333, ClientHeight = 299;
constexpr int ToolPanelWidth = 89, FrameRowHeight = 72;
constexpr int ThumbnailSide = 56;
constexpr TColor32 ThumbnailGrey = 0xFFCCCCCC;
constexpr TColor32 EditingBackground = 0xFFFFFFFF;

// The glyphs of the two tool buttons: an arrow and a drawn curve.
QIcon ToolGlyph(bool pointer)
{
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (pointer) {
        const QPointF arrow[] = {{8, 3}, {8, 23}, {13, 18}, {17, 26}, {20, 24.5}, {16, 17}, {23, 17}};
        p.setPen(QPen(Qt::black, 1.2));
        p.setBrush(Qt::white);
        p.drawPolygon(arrow, 7);
    } else {
        QPainterPath path({4, 22});
        path.cubicTo(8, 2, 18, 28, 24, 6);
        p.setPen(QPen(QColor(0xB0, 0, 0), 2.2));
        p.drawPath(path);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2, 20, 4, 4));
        p.drawRect(QRectF(22, 4, 4, 4));
    }
    return QIcon(pixmap);
}

QPushButton* ToolButton(QWidget* parent, const char* name, int top, bool pointer, const char* tip)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setGeometry(24, top, 43, 41);
    button->setIcon(ToolGlyph(pointer));
    button->setIconSize({28, 28});
    button->setToolTip(tip);
    return button;
}

} // namespace

// A panel that repeats the background tile (or shows the window colour
// without one).
class TTiledPanel : public QWidget {
public:
    explicit TTiledPanel(QWidget* parent) : QWidget(parent) {}
    void SetTile(const QImage& tile)
    {
        tile_ = QPixmap::fromImage(tile);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        if (tile_.isNull()) return;
        QPainter(this).drawTiledPixmap(rect(), tile_);
    }

private:
    QPixmap tile_;
};

// A frame's thumbnail: a bitmap the size of the control that the pattern
// draws its frame into; a click chooses the frame.
class TFrameThumbnail : public QWidget {
public:
    explicit TFrameThumbnail(QWidget* parent) : QWidget(parent), bitmap_(ThumbnailSide, ThumbnailSide, ThumbnailGrey)
    {
        bitmap_.OnChange = [this] { update(); };
        setCursor(Qt::PointingHandCursor);
    }
    ~TFrameThumbnail() override { bitmap_.OnChange = nullptr; }
    TBitmap32& Bitmap() { return bitmap_; }
    std::function<void()> OnClick;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, bitmap_.WrapAsImage()); }
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton && OnClick) OnClick();
    }

private:
    TBitmap32 bitmap_;
};

// --- Creation ------------------------------------------------------------------------

TFPatternEdit::TFPatternEdit(TPersistentObjectManager* patternManager, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Add New Pattern");
    setFixedSize(ClientWidth, ClientHeight);
    BuildControls();
    BuildTools();
    if (dmGlobalConfig) {
        QImage tile;
        GuardedHandler(WindowName, [&] { dmGlobalConfig->LoadBackground(tile); });
        SetBackgroundTile(tile);
    }
    if (patternManager) patternManager->SetEditForm(this);
}

TFPatternEdit::~TFPatternEdit()
{
    // The tools and the layer go before the view they work on.
    currentTool_ = nullptr;
    addCurve_.reset();
    pointer_.reset();
    curveLayer_.reset();
}

void TFPatternEdit::BuildControls()
{
    editArea_ = new TTiledPanel(this);
    editArea_->setGeometry(ToolPanelWidth, 0, ClientWidth - ToolPanelWidth, ClientHeight - FrameRowHeight);

    shape1_ = new QFrame(this);
    shape1_->setObjectName("Shape1");
    shape1_->setGeometry(103, 5, 218, 217);
    shape1_->setFrameStyle(QFrame::Box | QFrame::Plain);
    shape1_->setLineWidth(2);

    imgView_ = new TImageViewWidget(this);
    imgView_->setObjectName("ImgView");
    imgView_->setGeometry(107, 8, 210, 210);
    imgView_->setFrameShape(QFrame::NoFrame);
    imgView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imgView_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    imgView_->View().SetBackground(EditingBackground);
    imgView_->OnError = [](const std::exception& e) { qWarning("Pattern editor: %s", e.what()); };

    panel1_ = new TTiledPanel(this);
    panel1_->setObjectName("Panel1");
    panel1_->setGeometry(0, 0, ToolPanelWidth, ClientHeight - FrameRowHeight);
    pointerButton_ = ToolButton(panel1_, "JvXPButton1", 16, true, "Pointer");
    acceptButton_ = new QPushButton("Accept", panel1_);
    acceptButton_->setObjectName("JvXPButton3");
    acceptButton_->setGeometry(11, 164, 69, 24);
    cancelButton_ = new QPushButton("Cancel", panel1_);
    cancelButton_->setObjectName("JvXPButton4");
    cancelButton_->setGeometry(11, 196, 69, 24);
    // On the form itself, over the tool panel.
    addCurveButton_ = ToolButton(this, "JvXPButton2", 64, false, "Add curve");
    addCurveButton_->raise();
    for (QPushButton* b : {pointerButton_, addCurveButton_, acceptButton_, cancelButton_}) b->setAutoDefault(false);

    panel2_ = new TTiledPanel(this);
    panel2_->setObjectName("Panel2");
    panel2_->setGeometry(0, ClientHeight - FrameRowHeight, ClientWidth, FrameRowHeight);
    constexpr int lefts[FrameSlots] = {3, 69, 135, 201, 265};
    for (int i = 0; i < FrameSlots; ++i) {
        auto* bevel = new QFrame(panel2_);
        bevel->setObjectName(QString("Bevel%1").arg(i + 1));
        bevel->setGeometry(lefts[i], 4, 64, 64);
        bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        bevel->setLineWidth(2);
        bevels_[static_cast<size_t>(i)] = bevel;
        auto* thumb = new TFrameThumbnail(panel2_);
        thumb->setObjectName(QString("Image32%1").arg(i + 1));
        thumb->setGeometry(lefts[i] + 4, 8, ThumbnailSide, ThumbnailSide);
        thumb->OnClick = [this, i] { GuardedHandler(WindowName, [&] { SelectFrame(i); }); };
        thumbnails_[static_cast<size_t>(i)] = thumb;
    }

    connect(pointerButton_, &QPushButton::clicked, this,
            [this] { GuardedHandler(WindowName, [&] { SelectPointerTool(); }); });
    connect(addCurveButton_, &QPushButton::clicked, this,
            [this] { GuardedHandler(WindowName, [&] { SelectAddCurveTool(); }); });
    connect(acceptButton_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
}

void TFPatternEdit::BuildTools()
{
    curveLayer_ = std::make_unique<TPolyBezierLayer>(imgView_->View());
    curveLayer_->SetCurveMode(1);
    curveLayer_->SetOnChange([this](TPolyBezierLayer&) { CurvesChanged(); });
    pointer_ = std::make_unique<TPointerInputController>(*curveLayer_);
    addCurve_ = std::make_unique<TAddCurveInputController>(*curveLayer_);
    currentTool_ = pointer_.get();

    // The view's events go to the current tool as they come, in view pixels.
    RouteMouseToTool(imgView_->View(), [this] { return currentTool_; });
}

void TFPatternEdit::SetBackgroundTile(const QImage& tile)
{
    for (TTiledPanel* panel : {panel1_, editArea_, panel2_}) panel->SetTile(tile);
}

// --- The editor form -------------------------------------------------------------------

void TFPatternEdit::SetCaption(const std::string& caption) { setWindowTitle(QString::fromStdString(caption)); }

void TFPatternEdit::SetObject(TPersistentObject* obj)
{
    pattern_ = dynamic_cast<TPattern*>(obj);
    savedFrames_.clear();
    if (!pattern_) return;
    for (int32_t i = 0; i < pattern_->FrameCount(); ++i) savedFrames_.push_back(pattern_->GetFrames(i));
}

int TFPatternEdit::ShowModal() { return exec() == QDialog::Accepted ? mrOk : mrCancel; }

void TFPatternEdit::done(int result)
{
    GuardedHandler(WindowName, [&] {
        // Escape can close the dialog in the middle of a drag whose release
        // then never comes: the drag ends here, or hovering at the next
        // showing would go on bending the curve selected there. The tool
        // stays the chosen one.
        if (currentTool_) currentTool_->Deactivate();
        if (result != QDialog::Accepted) RestoreFrames();
        // The thumbnails are the editor's: the pattern must not keep drawing into them.
        if (pattern_) {
            for (TFrameThumbnail* thumb : thumbnails_)
                if (pattern_->Preview() == &thumb->Bitmap()) pattern_->SetPreview(nullptr);
        }
    });
    QDialog::done(result);
}

void TFPatternEdit::RestoreFrames()
{
    if (!pattern_) return;
    const int32_t count = static_cast<int32_t>(savedFrames_.size());
    if (pattern_->FrameCount() != count) {
        // Only frames the editor added make the count differ, so the pattern
        // had fewer than five and takes them back one by one.
        pattern_->ClearFrames();
        for (const TPatternFrame& frame : savedFrames_)
            pattern_->AddPatternFrame(std::make_unique<TPatternFrame>(frame));
        return;
    }
    for (int32_t i = 0; i < count; ++i) pattern_->GetFrames(i) = savedFrames_[static_cast<size_t>(i)];
}

void TFPatternEdit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    GuardedHandler(WindowName, [&] { ShowFrames(); });
}

// --- Frames ------------------------------------------------------------------------------

void TFPatternEdit::ShowFrames()
{
    for (int32_t i = 0; i < FrameSlots; ++i) ClearThumbnail(i);
    SelectFrame(0);
    if (!pattern_) return;
    // A sixth frame has no thumbnail to be drawn into.
    const int32_t shown = std::min(pattern_->FrameCount(), int32_t(FrameSlots));
    for (int32_t i = 0; i < shown; ++i) {
        SelectFrame(i);
        UpdateFrameThumbnail();
    }
    SelectFrame(0);
}

void TFPatternEdit::ClearThumbnail(int32_t index) { thumbnails_[static_cast<size_t>(index)]->Bitmap().Clear(ThumbnailGrey); }

const TBitmap32& TFPatternEdit::Thumbnail(int32_t index) const { return thumbnails_.at(static_cast<size_t>(index))->Bitmap(); }

QWidget& TFPatternEdit::ThumbnailControl(int32_t index) const { return *thumbnails_.at(static_cast<size_t>(index)); }

bool TFPatternEdit::BevelLowered(int32_t index) const
{
    return bevels_.at(static_cast<size_t>(index))->frameShadow() == QFrame::Sunken;
}

void TFPatternEdit::SelectFrame(int32_t index)
{
    currentFrame_ = index;
    for (int32_t i = 0; i < FrameSlots; ++i)
        bevels_[static_cast<size_t>(i)]->setFrameShadow(i == index ? QFrame::Sunken : QFrame::Raised);
    loading_ = true;
    curveLayer_->Clear();
    loading_ = false;
    if (!pattern_) return;
    // Patterns read from files drop their empty frames: a thumbnail beyond
    // the last one gets an empty frame to draw into (and those before it).
    while (pattern_->FrameCount() <= index) pattern_->AddPatternFrame(std::make_unique<TPatternFrame>());
    // Each curve added rewrites the frame from the layer, so work from a copy.
    const TPatternFrame records = pattern_->GetFrames(index);
    for (const TBezier& b : records.Curves()) {
        TPolyBezier& curve = curveLayer_->Add(std::make_unique<TPolyBezier>(b.P0));
        curve.AddCurveSegment(b.P1, b.P2, b.P3);
    }
    imgView_->View().Changed();
}

void TFPatternEdit::CurvesChanged()
{
    if (loading_ || !pattern_) return;
    TPatternFrame& frame = pattern_->GetFrames(currentFrame_);
    frame.Clear();
    for (int32_t i = 0; i < curveLayer_->Count(); ++i) {
        const TPolyBezier& curve = curveLayer_->GetPolyBeziers(i);
        for (int32_t s = 0; s < curve.SegmentCount(); ++s) frame.AddCurve(curve.GetBezier(s));
    }
    imgView_->View().Changed();
    UpdateFrameThumbnail();
}

void TFPatternEdit::UpdateFrameThumbnail()
{
    if (!pattern_ || currentFrame_ < 0 || currentFrame_ >= FrameSlots) return;
    pattern_->SetPreview(&thumbnails_[static_cast<size_t>(currentFrame_)]->Bitmap());
    pattern_->DrawFrame(currentFrame_, true);
}

// --- Tools -------------------------------------------------------------------------------

void TFPatternEdit::ChooseTool(TAbstractInputController& tool)
{
    currentTool_->Deactivate();
    currentTool_ = &tool;
    currentTool_->Activate();
}

void TFPatternEdit::SelectPointerTool()
{
    ChooseTool(*pointer_);
    imgView_->View().SetCursor(TCursorShape::crDefault);
}

void TFPatternEdit::SelectAddCurveTool()
{
    ChooseTool(*addCurve_);
    imgView_->View().SetCursor(TCursorShape::crCross);
}

// Qt meta-object code for the dialog, kept in this object file.
#include "moc_PatternEditor.cpp"
