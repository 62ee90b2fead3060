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

#include <QObject>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QAction;
class IMainWindow;
class IUi;
class TBitmap32;
class TDualImage;
class TImageView;
class TPersistentObjectManager;
class TTempManager;
class TToolManager;

class TDomain : public QObject {
    Q_OBJECT
public:
    // DataModuleCreate: loads the program folder's patterns, brushes and
    // styles, cleans tmp/ and creates the temporary-file manager.
    explicit TDomain(std::string programFolder, QObject* parent = nullptr);
    // DataModuleDestroy, in the designed order.
    ~TDomain() override;

    // --- Wiring, done once by start-up and the main window ---------------
    void SetUi(IUi* ui);
    void SetMainWindow(IMainWindow* mainWindow);
    // The main window hands over its two views (ImgSrc, ImgDst).
    void SetViews(TImageView* source, TImageView* dest);

    // --- State -------------------------------------------------------------
    const std::string& ProgramFolder() const { return programFolder_; }
    TDualImage* Document() const { return document_.get(); }
    TToolManager* ToolManager() const { return toolManager_.get(); }
    TPersistentObjectManager& PatternManager() const { return *patternManager_; }
    TPersistentObjectManager& StyleManager() const { return *styleManager_; }
    TPersistentObjectManager& RendererManager() const { return *rendererManager_; }
    bool Updating() const { return updating_; }
    bool HasApplied() const { return hasApplied_; }
    bool ApplyRunning() const { return applyRunning_; }
    int32_t ApplyAllSteps() const { return applyAllSteps_; }
    int32_t ApplyStartStep() const { return applyStartStep_; }

    // --- Commands ------------------------------------------------------------
    QAction* Command(TCommandId id) const { return commands_[static_cast<size_t>(id)]; }
    // ActionUpdate: sets the command's enabled flag from its rule and binds
    // the project-save button.
    void ActionUpdate(QAction* command);
    // Updates every command (idle, a menu opening, tests).
    void UpdateAllCommands();
    // Runs a command as a user would: its rule first, then its handler.
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

    // Domain.cpp
    void CreateManagers();
    void AttachDocument();
    void FreeDocument();
    void PatternCreated();
    void StrokeChanged();
    void StyleChanged();
    void StyleBeforeChange();
    void StyleAdded();

    // DomainCommands.cpp
    void CreateCommands();
    bool CommandEnabled(TCommandId id) const;
    void RunCommand(TCommandId id);

    // DomainApply.cpp
    void ApplyWithCurrentSettings();
    void ApplyAllRun();
    void RepeatLastApply();

    // DomainFiles.cpp
    bool ReadPicture(const std::string& fileName, bool fromClipboard, TBitmap32& target);
    void SaveImage(const TBitmap32& bitmap, double dotsPerInch);
    void RenderAtSize();
    void SaveProject();
    void SaveProjectAs();
    void OpenProject();
    void ExportPostScript();

    std::string programFolder_;
    IUi* ui_ = nullptr;
    IMainWindow* mainWindow_ = nullptr;
    TImageView* imgSrc_ = nullptr;
    TImageView* imgDst_ = nullptr;

    bool applyRunning_ = false;
    bool updating_ = false;
    int32_t applyAllSteps_ = 5000;
    int32_t applyStartStep_ = 1;
    bool hasApplied_ = false;

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
