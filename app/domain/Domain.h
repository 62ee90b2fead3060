// TDomain: the command module. It owns the one open document, its tool
// manager and the pattern, style and stroke-renderer managers, carries every
// command of the program as a QAction with its enabling rule, and is the only
// place that creates, replaces and frees the document. Windows call it
// directly; it reaches them only through IMainWindow and IUi.
//
// The declarations are grouped by the file that implements them:
// Domain.cpp (start-up, loading, closing, manager handlers), DomainCommands.cpp
// (the command table and its handlers), DomainApply.cpp (the apply run) and
// DomainFiles.cpp (pictures, projects, clipboard, PostScript).
#pragma once

#include "app/domain/CommandId.h"
#include "gfx/Bitmap32.h"

#include <QObject>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QAction;
class QIcon;
class IMainWindow;
class IStyleEnvironment;
class IUi;
class IDialogs;
class TDualImage;
class TGStyle;
class TImageView;
class TPersistentObjectManager;
class TTempManager;
class TToolManager;

// Pictures above this many pixels are offered for resampling; below
// MinPicturePixels they are refused.
inline constexpr int64_t MaxPicturePixels = 1048576;
inline constexpr int64_t MinPicturePixels = 10000;
// The size of about one megapixel with the picture's proportions that the
// resample offer proposes: each side scaled by sqrt(1 / (W x H)) x 1024 (the
// factor in single precision), halves to even, never below 1.
std::pair<int32_t, int32_t> ResampleProposal(int32_t width, int32_t height);

class TDomain : public QObject {
    Q_OBJECT
public:
    // DataModuleCreate: loads the program folder's patterns, brushes and
    // styles, cleans tmp/ and creates the temporary-file manager. Registers
    // itself as the engine's style environment.
    explicit TDomain(std::string programFolder, QObject* parent = nullptr);
    // DataModuleDestroy, in the designed order.
    ~TDomain() override;

    // --- Wiring, done once by start-up and the main window ---------------
    // Also reads the clipboard once and follows its changes from then on.
    void SetUi(IUi* ui);
    void SetMainWindow(IMainWindow* mainWindow);
    // The main window hands over its two views (ImgSrc, ImgDst). The command
    // module owns the two pictures they show and gives each view its own.
    // SetViews(nullptr, nullptr) before the views go: the tool manager and
    // the document (which hook and draw on the views) are freed first.
    void SetViews(TImageView* source, TImageView* dest);
    TImageView* SourceView() const { return imgSrc_; }
    TImageView* DestView() const { return imgDst_; }

    // --- State -------------------------------------------------------------
    const std::string& ProgramFolder() const { return programFolder_; }
    TDualImage* Document() const { return document_.get(); }
    TToolManager* ToolManager() const { return toolManager_.get(); }
    TPersistentObjectManager& PatternManager() const { return *patternManager_; }
    TPersistentObjectManager& StyleManager() const { return *styleManager_; }
    TPersistentObjectManager& RendererManager() const { return *rendererManager_; }
    TTempManager& TempFiles() const { return *tempManager_; }
    TGStyle* CurrentStyle() const;
    bool Updating() const { return updating_; }
    bool HasApplied() const { return hasApplied_; }
    bool ApplyRunning() const { return applyRunning_; }
    int32_t ApplyAllSteps() const { return applyAllSteps_; }
    int32_t ApplyStartStep() const { return applyStartStep_; }

    // Whether a project path lies on a network drive (saves are staged
    // through tmp/ there). The engine's test by default; tests inject theirs.
    std::function<bool(const std::string&)> IsRemoteDrive;

    // --- Commands ------------------------------------------------------------
    QAction* Command(TCommandId id) const { return commands_[static_cast<size_t>(id)]; }
    // ActionUpdate: sets the command's enabled flag from its rule and binds
    // the project-save button. A null or foreign sender changes nothing.
    void ActionUpdate(QAction* command);
    // The pictures of the tool commands (the command table's image indexes:
    // pointer 0, auto-sketch 1, pattern 2, free hand 3, "What is this?" 4),
    // drawn by the windows; each command with an index takes its picture.
    void SetToolImages(const std::vector<QIcon>& images);
    // Updates every command (idle, a menu opening, tests).
    void UpdateAllCommands();
    // Runs a command as a user would: its rule first, then its handler.
    // Errors propagate to the caller (the actions' own slots swallow them).
    void Execute(TCommandId id);

    // --- Operations ------------------------------------------------------------
    void LoadImage(const std::string& fileName, bool fromClipboard);
    void LoadProject(const std::string& fileName);
    bool CanClose();
    // The idle work: one old undo step to disk (guarded, never throws).
    void IdleWork();

signals:
    void OnChange();
    void OnContextHelp();
    void OnUpdatePattern(int index);
    void OnUpdateStyle(int index);
    void OnDeletePattern(int index);
    void OnDeleteStyle(int index);

private:
    friend class TUpdatingScope;
    friend class TDomainStyleEnvironment;

    // Domain.cpp
    void CreateManagers();
    void CleanTempFolder() const;
    void AttachDocument();
    void FreeDocument();
    void ReplaceDocument(TBitmap32 picture);
    void SetViewLook();
    void CheckPictureSize(TBitmap32& picture);
    IDialogs& Boxes() const;
    void CloseDocument();
    void ExitProgram();
    void PatternCreated();
    void StrokeChanged();
    void StyleChanged();
    void StyleBeforeChange();
    void StyleAdded();
    // Selects the current style's renderer without writing back into the style.
    void SelectStyleRenderer();
    // Reads whether the clipboard holds a picture into clipboardHasBitmap_.
    void ClipboardChanged();

    // DomainCommands.cpp
    void CreateCommands();
    bool CommandEnabled(TCommandId id) const;
    void RunCommand(TCommandId id);
    void SelectTool(int tool);
    void ToggleOverlay(TCommandId id);
    void NewStyle();
    void SaveStyle();
    void SaveStyleAs();
    std::string WriteStyleFile(TGStyle& style);
    void SayStyleNotSaved(const std::string& failure);
    void DeleteStyle();
    void ResetStyle();
    void NewPattern();
    void EditPattern();
    void DeletePattern();
    std::optional<std::string> PromptStyleName();

    // DomainApply.cpp
    void ApplyWithCurrentSettings();
    void ApplyAllRun();
    void StopApply();
    void CancelApply();
    void RepeatLastApply();

    // DomainFiles.cpp
    void ReadPicture(const std::string& fileName, bool fromClipboard, TBitmap32& target);
    void OpenPicture();
    void SaveImage(const TBitmap32& bitmap, double dotsPerInch);
    void RenderAtSize();
    void SaveProject();
    void SaveProjectAs();
    // Writes the document's project to fileName; the document's name is the caller's.
    void SaveProjectTo(const std::string& fileName);
    void OpenProject();
    void ExportPostScript();
    void CopyResultToClipboard();

    std::string programFolder_;
    IUi* ui_ = nullptr;
    IMainWindow* mainWindow_ = nullptr;
    TImageView* imgSrc_ = nullptr;
    TImageView* imgDst_ = nullptr;
    // The pictures the two views show; their addresses never change.
    TBitmap32 sourcePicture_;
    TBitmap32 destPicture_;

    bool applyRunning_ = false;
    bool applyInLoop_ = false; // the apply loop is on the stack
    bool updating_ = false;
    int32_t applyAllSteps_ = 5000;
    int32_t applyStartStep_ = 1;
    bool hasApplied_ = false;
    // What New from clipboard's rule reads: asking the clipboard itself can
    // block for seconds, so it is asked only when its contents change.
    bool clipboardHasBitmap_ = false;

    std::unique_ptr<IStyleEnvironment> styleEnvironment_;
    std::unique_ptr<TTempManager> tempManager_;
    std::unique_ptr<TPersistentObjectManager> patternManager_;
    std::unique_ptr<TPersistentObjectManager> styleManager_;
    std::unique_ptr<TPersistentObjectManager> rendererManager_;
    std::unique_ptr<TDualImage> document_;
    std::unique_ptr<TToolManager> toolManager_;
    std::array<QAction*, static_cast<size_t>(TCommandId::Count)> commands_{};
};

// Sets the command module's Updating flag for its lifetime (nests).
class TUpdatingScope {
public:
    explicit TUpdatingScope(TDomain& domain);
    ~TUpdatingScope();
    TUpdatingScope(const TUpdatingScope&) = delete;
    TUpdatingScope& operator=(const TUpdatingScope&) = delete;

private:
    TDomain& domain_;
    bool previous_;
};
