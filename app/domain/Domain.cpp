// The command module's life: creation and destruction, the managers and
// their handlers, making a document from a picture, and closing it.
#include "app/domain/Domain.h"

#include "app/SingleInstance.h"
#include "app/domain/BitmapMemory.h"
#include "app/tools/ToolManager.h"
#include "app/ui/IMainWindow.h"
#include "app/ui/IUi.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/BusyCursor.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StrokeRenderer.h"
#include "engine/StyleEnvironment.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Rounding.h"

#include <QAction>

#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

// What styles and their previews read from the command module.
class TDomainStyleEnvironment final : public IStyleEnvironment {
public:
    explicit TDomainStyleEnvironment(const TDomain& domain) : domain_(domain) {}
    bool Updating() const override { return domain_.updating_; }
    std::unique_ptr<TBitmap32> SamplePicture() const override { return LoadEmbeddedSamplePicture(); }
    TPersistentObjectManager* RendererManager() const override { return domain_.rendererManager_.get(); }

private:
    const TDomain& domain_;
};

namespace {

// Runs `work` with a manager's change event detached, restoring it on every path.
template <typename Work>
void WithoutChangeEvent(TPersistentObjectManager& manager, Work&& work)
{
    struct TRestore {
        TPersistentObjectManager& Manager;
        TPersistentObjectManager::TNotifyEvent Saved;
        ~TRestore() { Manager.OnChange = std::move(Saved); }
    } restore{manager, std::exchange(manager.OnChange, nullptr)};
    work();
}

std::string WithTrailingSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

} // namespace

std::pair<int32_t, int32_t> ResampleProposal(int32_t width, int32_t height)
{
    const int64_t pixels = static_cast<int64_t>(width) * height;
    if (pixels <= 0) return {std::max(width, 1), std::max(height, 1)};
    const float factor = static_cast<float>(std::sqrt(1.0 / static_cast<double>(pixels)) * 1024.0);
    auto side = [factor](int32_t length) {
        return std::max<int32_t>(1, static_cast<int32_t>(Round(static_cast<double>(length) * factor)));
    };
    return {side(width), side(height)};
}

TUpdatingScope::TUpdatingScope(TDomain& domain) : domain_(domain), previous_(domain.updating_)
{
    domain_.updating_ = true;
}

TUpdatingScope::~TUpdatingScope() { domain_.updating_ = previous_; }

TDomain::TDomain(std::string programFolder, QObject* parent)
    : QObject(parent), programFolder_(WithTrailingSlash(std::move(programFolder)))
{
    IsRemoteDrive = [](const std::string& path) { return ::IsRemoteDrive(path); };
    applyAllSteps_ = 5000;
    CreateCommands();
    styleEnvironment_ = std::make_unique<TDomainStyleEnvironment>(*this);
    SetStyleEnvironment(styleEnvironment_.get());
    try {
        TUpdatingScope updating(*this);
        CreateManagers();
        CleanTempFolder();
        tempManager_ = std::make_unique<TTempManager>(programFolder_);
        SetTempManager(tempManager_.get());
    } catch (...) {
        SetStyleEnvironment(nullptr);
        throw;
    }
}

TDomain::~TDomain()
{
    if (tempManager_) {
        SetTempManager(nullptr);
        tempManager_.reset();
    }
    FreeDocument();
    SetViews(nullptr, nullptr);
    rendererManager_.reset();
    styleManager_.reset();
    patternManager_.reset();
    SetStyleEnvironment(nullptr);
}

void TDomain::CreateManagers()
{
    patternManager_ = std::make_unique<TPersistentObjectManager>(TPattern::StaticClass(), programFolder_);
    patternManager_->OnNew = [this](TPersistentObjectManager&) { PatternCreated(); };

    rendererManager_ =
        std::make_unique<TPersistentObjectManager>(TBitmapBrushStrokeRenderer::BrushClass(), programFolder_);
    rendererManager_->InsertFirst(std::make_unique<TPolygonStrokeRenderer>());
    // The third brush file when there are three; with fewer, the last one
    // (the polygon renderer at index 0 always exists).
    rendererManager_->SetItemIndex(std::min<int32_t>(3, rendererManager_->Count() - 1));
    rendererManager_->OnChange = [this](TPersistentObjectManager&) { StrokeChanged(); };

    styleManager_ = std::make_unique<TPersistentObjectManager>(TGStyle::StyleClass(), programFolder_);
    styleManager_->SetAutoSave(false);
    auto scratch = std::make_unique<TGStyle>();
    scratch->SetConfirmOverwrite(false);
    scratch->SetName("Scratch Style");
    scratch->SetStroke(rendererManager_->Current()->ID());
    scratch->SetReadOnly(true);
    scratch->Commit();
    styleManager_->InsertFirst(std::move(scratch));
    styleManager_->OnChange = [this](TPersistentObjectManager&) { StyleChanged(); };
    styleManager_->OnBeforeChange = [this](TPersistentObjectManager&) { StyleBeforeChange(); };
    styleManager_->OnAdd = [this](TPersistentObjectManager&) { StyleAdded(); };
    styleManager_->SetItemIndex(0);
}

// Files a previous run left in tmp/ are dropped; folders inside are kept,
// and so are the lock by which this program holds its folder and the list of
// temporary files when it lies there. Only a real folder is cleaned: a tmp/
// linked elsewhere (a larger disk, the system's temporary folder) holds files
// of others, and this program's own leftovers there go through its list.
void TDomain::CleanTempFolder() const
{
    const int fd = ::open((programFolder_ + "tmp").c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == ".." || name == InstanceLockName || name == TempListName) continue;
        // Never a folder: unlinkat without AT_REMOVEDIR refuses them.
        ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

void TDomain::SetUi(IUi* ui)
{
    if (ui_) ui_->OnClipboardChanged = nullptr;
    ui_ = ui;
    if (ui_) ui_->OnClipboardChanged = [this] { ClipboardChanged(); };
    ClipboardChanged();
}

void TDomain::ClipboardChanged() { clipboardHasBitmap_ = ui_ && ui_->ClipboardHasBitmap(); }

void TDomain::SetMainWindow(IMainWindow* mainWindow) { mainWindow_ = mainWindow; }

void TDomain::SetViews(TImageView* source, TImageView* dest)
{
    if (source == imgSrc_ && dest == imgDst_) return;
    FreeDocument();
    for (TImageView* view : {imgSrc_, imgDst_})
        if (view) view->SetBitmap(nullptr);
    imgSrc_ = source;
    imgDst_ = dest;
    if (imgSrc_) imgSrc_->SetBitmap(&sourcePicture_);
    if (imgDst_) imgDst_->SetBitmap(&destPicture_);
}

TGStyle* TDomain::CurrentStyle() const { return styleManager_ ? styleManager_->CurrentAs<TGStyle>() : nullptr; }

IDialogs& TDomain::Boxes() const { return ui_ ? static_cast<IDialogs&>(*ui_) : Dialogs(); }

// --- Documents ---------------------------------------------------------------

void TDomain::FreeDocument()
{
    toolManager_.reset();
    document_.reset();
}

void TDomain::AttachDocument()
{
    hasApplied_ = false;
    document_->SetOnChange([this](TDualImage&) { UpdateAllCommands(); });
    document_->PatternManager = patternManager_.get();
    document_->RendererManager = rendererManager_.get();
    document_->SetStyle(CurrentStyle());
    // A new document starts with both overlays off.
    Command(TCommandId::ViewBorders)->setChecked(false);
    Command(TCommandId::ViewDirections)->setChecked(false);
    if (mainWindow_) mainWindow_->ResetColorPanel();
    toolManager_ = std::make_unique<TToolManager>(*document_);
    SelectTool(1);
    emit OnChange();
}

// Both views show their pictures at scale 1, the source half transparent
// over the background.
void TDomain::SetViewLook()
{
    for (TImageView* view : {imgSrc_, imgDst_}) {
        view->SetScaleMode(TScaleMode::smScale);
        view->SetScale(1.0f);
    }
    sourcePicture_.StretchFilter = TStretchFilter::sfLinear;
    sourcePicture_.MasterAlpha = 128;
    sourcePicture_.DrawMode = TDrawMode::dmBlend;
    destPicture_.StretchFilter = TStretchFilter::sfLinear;
}

// The picture is checked (and resampled) before this: from here on the old
// document is dropped and the new one made over the picture.
void TDomain::ReplaceDocument(TBitmap32 picture)
{
    FreeDocument();
    imgSrc_->SetBitmap(nullptr);
    imgDst_->SetBitmap(nullptr);
    sourcePicture_ = std::move(picture);
    destPicture_.SetSize(sourcePicture_.Width(), sourcePicture_.Height());
    destPicture_.Clear(clWhite32);
    imgSrc_->SetBitmap(&sourcePicture_);
    imgDst_->SetBitmap(&destPicture_);
    imgSrc_->ClearLayers();
    imgDst_->ClearLayers();
    SetViewLook();
    imgSrc_->Changed();
    imgDst_->Changed();
    document_ = std::make_unique<TDualImage>(*imgSrc_, *imgDst_, 1.0f);
    AttachDocument();
}

void TDomain::CheckPictureSize(TBitmap32& picture)
{
    const int64_t pixels = static_cast<int64_t>(picture.Width()) * picture.Height();
    if (pixels == 0) throw EngineError("Invalid Image");
    if (pixels < MinPicturePixels) {
        Boxes().ShowMessage("Error loading image", "The source image is too small", TMessageKind::Error);
        throw SilentAbort();
    }
    if (pixels <= MaxPicturePixels || !ui_) return;
    const auto [proposedWidth, proposedHeight] = ResampleProposal(picture.Width(), picture.Height());
    const auto answer = ui_->Resample(picture.Width(), picture.Height(), proposedWidth, proposedHeight);
    if (!answer || answer->first < 1 || answer->second < 1) return;
    if (!BitmapFitsInMemory(answer->first, answer->second)) {
        Boxes().ShowMessage("Error loading image", TooLargePictureText(answer->first, answer->second),
                            TMessageKind::Error);
        throw SilentAbort();
    }
    TBitmap32 resampled(answer->first, answer->second);
    picture.StretchFilter = TStretchFilter::sfMitchell;
    resampled.StretchFilter = TStretchFilter::sfMitchell;
    picture.DrawMode = TDrawMode::dmOpaque;
    resampled.Draw(resampled.BoundsRect(), picture.BoundsRect(), picture);
    picture = std::move(resampled);
}

void TDomain::LoadImage(const std::string& fileName, bool fromClipboard)
{
    TUpdatingScope updating(*this);
    if (!imgSrc_ || !imgDst_) throw EngineError("The command module has no views");
    if (mainWindow_) mainWindow_->HideNavigator();
    TBusyCursorScope busy;
    TBitmap32 picture;
    ReadPicture(fileName, fromClipboard, picture);
    CheckPictureSize(picture);
    ReplaceDocument(std::move(picture));
}

bool TDomain::CanClose()
{
    if (!document_ || !document_->Modified) return true;
    switch (Boxes().Ask("Confirm", "Project not saved. Save before close?", true)) {
    case TAnswer::Yes:
        SaveProject();
        return document_ && !document_->Modified;
    case TAnswer::No:
        return true;
    case TAnswer::Cancel:
        break;
    }
    return false;
}

void TDomain::CloseDocument()
{
    // A destructor may not throw: an error from a handler of the event
    // would end the process here instead of only the command.
    struct TAlwaysNotify {
        TDomain& Domain;
        ~TAlwaysNotify()
        {
            try {
                emit Domain.OnChange();
            } catch (...) {
            }
        }
    } notify{*this};
    if (document_ && CanClose()) FreeDocument();
}

void TDomain::ExitProgram()
{
    if (CanClose() && ui_) ui_->Quit();
}

void TDomain::IdleWork()
{
    try {
        if (document_ && document_->StateNesting() == 0) document_->CompressOneState();
    } catch (...) {
        // Swapping is an optimisation: a failure leaves the step in memory.
    }
}

// --- Manager handlers ----------------------------------------------------------

void TDomain::PatternCreated()
{
    auto* pattern = patternManager_->CurrentAs<TPattern>();
    if (!pattern) return;
    for (int i = 0; i < 5; ++i) pattern->AddPatternFrame(std::make_unique<TPatternFrame>());
}

void TDomain::StrokeChanged()
{
    if (TGStyle* style = CurrentStyle()) {
        if (TPersistentObject* renderer = rendererManager_->Current()) style->SetStroke(renderer->ID());
    }
    if (mainWindow_) {
        mainWindow_->UpdateStyleFrame(styleManager_->ItemIndex());
        mainWindow_->UpdateBrushPreview();
    }
}

void TDomain::SelectStyleRenderer()
{
    WithoutChangeEvent(*rendererManager_, [this] {
        if (TGStyle* style = CurrentStyle()) rendererManager_->SelectByID(style->GetStroke());
        if (mainWindow_) mainWindow_->UpdateBrushPreview();
    });
}

void TDomain::StyleChanged()
{
    if (document_) document_->SetStyle(CurrentStyle());
    if (mainWindow_) mainWindow_->UpdateControls();
    SelectStyleRenderer();
}

void TDomain::StyleBeforeChange()
{
    if (mainWindow_) mainWindow_->UpdateStyleFrame(styleManager_->ItemIndex());
}

void TDomain::StyleAdded()
{
    if (document_) document_->SetStyle(CurrentStyle());
    WithoutChangeEvent(*rendererManager_, [this] {
        if (TGStyle* style = CurrentStyle()) rendererManager_->SelectByID(style->GetStroke());
    });
    emit OnUpdateStyle(styleManager_->Count() - 1);
    if (mainWindow_) mainWindow_->UpdateControls();
}
