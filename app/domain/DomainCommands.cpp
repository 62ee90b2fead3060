// The command table as QActions: their creation, the shared update handler,
// and the short handlers; the longer ones live in DomainApply.cpp and
// DomainFiles.cpp.
#include "app/domain/CommandTable.h"
#include "app/domain/Domain.h"

#include "app/tools/ToolManager.h"
#include "app/ui/FailureMessage.h"
#include "app/ui/IMainWindow.h"
#include "app/ui/IUi.h"
#include "engine/DualImage.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>

#include <algorithm>
#include <exception>
#include <string>

namespace {

QList<QKeySequence> ShortcutsOf(const TCommandInfo& info)
{
    QList<QKeySequence> keys;
    if (info.Shortcut && *info.Shortcut) keys << QKeySequence(QString::fromLatin1(info.Shortcut));
    for (const std::string& key : info.SecondaryShortcuts)
        keys << QKeySequence(QString::fromStdString(key));
    return keys;
}

} // namespace

void TDomain::CreateCommands()
{
    for (const TCommandInfo& info : CommandTable()) {
        auto* action = new QAction(QString::fromLatin1(info.Caption), this);
        action->setObjectName(QString::fromLatin1(info.Name));
        action->setData(QString::fromLatin1(info.Category));
        action->setShortcuts(ShortcutsOf(info));
        action->setToolTip(QString::fromLatin1(info.Hint && *info.Hint ? info.Hint : info.Caption));
        action->setStatusTip(QString::fromLatin1(info.Hint ? info.Hint : ""));
        action->setCheckable(info.Checkable);
        const TCommandId id = info.Id;
        // Qt toggles a checkable action before `triggered`; the handler decides.
        connect(action, &QAction::triggered, this, [this, action, id] {
            if (action->isCheckable()) action->setChecked(!action->isChecked());
            try {
                Execute(id);
            } catch (...) {
                // Errors that leave a command are dropped, as by the
                // application's handler; the user has been told where needed.
            }
        });
        commands_[static_cast<size_t>(id)] = action;
    }
}

bool TDomain::CommandEnabled(TCommandId id) const
{
    TCommandState state{};
    if (const TDualImage* doc = document_.get()) {
        state.HasDocument = true;
        // A tool's drag holds an undo step open from press to release, over
        // the picture as it was at the press: the history must not move
        // under it (Ctrl+Z reaches the program while the button is held).
        const bool historyFree = doc->StateNesting() == 0;
        state.CanUndo = historyFree && doc->CanUndo();
        state.CanRedo = historyFree && doc->CanRedo();
        state.CanTakeSnapshot = historyFree && doc->CanTakeSnapshot();
        state.CanUndoToLastSnapshot = historyFree && doc->CanUndoToLastSnapshot();
        state.MoreThanOneState = doc->StateCount() > 1;
        state.HasStrokes = doc->StrokeCount() > 0;
        state.HasProjectFileName = !doc->FileName.empty();
    }
    state.HasApplied = hasApplied_;
    state.ClipboardHasBitmap = clipboardHasBitmap_;
    state.HasStyleManager = styleManager_ != nullptr;
    if (const TGStyle* style = CurrentStyle()) {
        state.HasCurrentStyle = true;
        state.CurrentStyleModified = style->Modified();
    }
    state.PatternCount = patternManager_ ? patternManager_->Count() : 0;
    state.StyleCount = styleManager_ ? styleManager_->Count() : 0;
    state.CurrentStyleIndex = styleManager_ ? styleManager_->ItemIndex() : -1;
    return ::CommandEnabled(id, state);
}

void TDomain::ActionUpdate(QAction* command)
{
    const auto found = std::find(commands_.begin(), commands_.end(), command);
    if (!command || found == commands_.end()) return;
    command->setEnabled(CommandEnabled(static_cast<TCommandId>(found - commands_.begin())));
    if (mainWindow_) mainWindow_->BindSaveProjectButton(Command(TCommandId::SaveProject)->isEnabled());
}

void TDomain::SetToolImages(const std::vector<QIcon>& images)
{
    for (const TCommandInfo& info : CommandTable())
        if (info.ImageIndex >= 0 && info.ImageIndex < static_cast<int>(images.size()))
            Command(info.Id)->setIcon(images[static_cast<size_t>(info.ImageIndex)]);
}

void TDomain::UpdateAllCommands()
{
    for (size_t i = 0; i < commands_.size(); ++i)
        commands_[i]->setEnabled(CommandEnabled(static_cast<TCommandId>(i)));
    if (mainWindow_) mainWindow_->BindSaveProjectButton(Command(TCommandId::SaveProject)->isEnabled());
}

void TDomain::Execute(TCommandId id)
{
    QAction* action = Command(id);
    ActionUpdate(action);
    if (!action->isEnabled()) return;
    RunCommand(id);
}

void TDomain::RunCommand(TCommandId id)
{
    TDualImage* doc = document_.get();
    switch (id) {
    case TCommandId::NewFromClipboard:
        if (CanClose()) LoadImage(std::string(), true);
        break;
    case TCommandId::Open: OpenPicture(); break;
    case TCommandId::OpenProject: OpenProject(); break;
    case TCommandId::Save: SaveImage(destPicture_, 200.0); break;
    case TCommandId::SaveProject: SaveProject(); break;
    case TCommandId::Undo:
        if (doc && doc->CanUndo()) ReportingErrors(Boxes(), "Error undoing", [doc] { doc->Undo(); });
        break;
    case TCommandId::Redo:
        if (doc && doc->CanRedo()) ReportingErrors(Boxes(), "Error redoing", [doc] { doc->Redo(); });
        break;
    case TCommandId::SaveProjectAs: SaveProjectAs(); break;
    case TCommandId::PostScript: ExportPostScript(); break;
    case TCommandId::RenderAll: RenderAtSize(); break;
    case TCommandId::Close: CloseDocument(); break;
    case TCommandId::Exit: ExitProgram(); break;
    case TCommandId::Pointer: SelectTool(1); break;
    case TCommandId::Pattern: SelectTool(4); break;
    case TCommandId::AutoDir: SelectTool(5); break;
    case TCommandId::FreeHand: SelectTool(3); break;
    case TCommandId::ViewBorders:
    case TCommandId::ViewDirections: ToggleOverlay(id); break;
    case TCommandId::NewPattern: NewPattern(); break;
    case TCommandId::EditPattern: EditPattern(); break;
    case TCommandId::DelPattern: DeletePattern(); break;
    case TCommandId::Help:
        if (ui_) ui_->OpenWithDesktop(programFolder_ + "OcraHelp.chm");
        break;
    case TCommandId::ContextHelp:
        if (toolManager_) toolManager_->SetTool(0);
        emit OnContextHelp();
        break;
    case TCommandId::About:
        if (ui_) ui_->ShowAbout();
        break;
    case TCommandId::NewStyle: NewStyle(); break;
    case TCommandId::SaveStyle: SaveStyle(); break;
    case TCommandId::DelStyle: DeleteStyle(); break;
    case TCommandId::ApplyWithCurrentSettings: ApplyWithCurrentSettings(); break;
    case TCommandId::RepeatLastApply: RepeatLastApply(); break;
    case TCommandId::TakeSnapshot:
        if (doc && doc->CanTakeSnapshot()) doc->TakeSnapshot();
        break;
    case TCommandId::UndoToLastSnapshot:
        if (doc && doc->CanUndoToLastSnapshot())
            ReportingErrors(Boxes(), "Error undoing", [doc] { doc->UndoToLastSnapshot(); });
        break;
    case TCommandId::ResetStyle: ResetStyle(); break;
    case TCommandId::SaveStyleAs: SaveStyleAs(); break;
    case TCommandId::Purge:
        if (doc && doc->CanUndo() && doc->StateCount() > 1)
            ReportingErrors(Boxes(), "Error purging the undo history", [doc] { doc->Compact(); });
        break;
    case TCommandId::ViewNavigator:
        if (mainWindow_) mainWindow_->ShowNavigator();
        break;
    case TCommandId::CopyResultToClipboard: CopyResultToClipboard(); break;
    case TCommandId::FullScreenPreview:
        if (ui_ && doc) ui_->ShowFullScreenPreview(destPicture_);
        break;
    case TCommandId::Count: break;
    }
}

void TDomain::SelectTool(int tool)
{
    if (toolManager_) toolManager_->SetTool(tool);
    emit OnChange();
}

void TDomain::ToggleOverlay(TCommandId id)
{
    TDualImage* doc = document_.get();
    if (!doc) return;
    const bool borders = id == TCommandId::ViewBorders;
    const bool on = !(borders ? doc->ShowEdges() : doc->ShowDirections());
    if (borders)
        doc->SetShowEdges(on);
    else
        doc->SetShowDirections(on);
    Command(id)->setChecked(on);
}

// --- Patterns ----------------------------------------------------------------

void TDomain::NewPattern()
{
    if (patternManager_->New()) emit OnUpdatePattern(patternManager_->Count() - 1);
}

void TDomain::EditPattern()
{
    if (patternManager_->EditCurrent()) emit OnUpdatePattern(patternManager_->ItemIndex());
}

void TDomain::DeletePattern()
{
    patternManager_->DeleteCurrent();
    emit OnDeletePattern(patternManager_->ItemIndex());
}

// --- Styles --------------------------------------------------------------------

std::optional<std::string> TDomain::PromptStyleName()
{
    if (!ui_) return std::nullopt;
    return ui_->InputText("Ocrastell Pro", "Enter a name for the new style:", styleManager_->UniqueName());
}

void TDomain::NewStyle()
{
    const auto name = PromptStyleName();
    if (!name) return;
    auto style = std::make_unique<TGStyle>();
    style->SetConfirmOverwrite(false);
    style->SetName(*name);
    style->SetStroke(0);
    style->Commit();
    styleManager_->Add(std::move(style));
}

void TDomain::SaveStyle()
{
    TGStyle* style = CurrentStyle();
    const int32_t index = styleManager_->ItemIndex();
    if (!style || index <= 0 || !style->Modified()) return;
    const std::string failure = WriteStyleFile(*style);
    emit OnUpdateStyle(index);
    SayStyleNotSaved(failure);
}

// The copy is saved at once under a new numbered file, so that what the
// command promises ("with a different name") survives the session.
void TDomain::SaveStyleAs()
{
    if (!CurrentStyle()) return;
    const auto name = PromptStyleName();
    if (!name) return;
    styleManager_->DuplicateCurrent(*name);
    TGStyle* copy = CurrentStyle();
    copy->SetModified(true);
    const std::string failure = WriteStyleFile(*copy);
    if (mainWindow_) mainWindow_->UpdateStyleFrame(styleManager_->ItemIndex());
    SayStyleNotSaved(failure);
}

// A style whose file could not be written stays modified, so that its entry
// reads as not saved and Save stays enabled: nobody takes it for a file on
// the disk. Returns the reason, empty when the file was written.
std::string TDomain::WriteStyleFile(TGStyle& style)
{
    try {
        style.Save(programFolder_);
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

void TDomain::SayStyleNotSaved(const std::string& failure)
{
    if (failure.empty()) return;
    Boxes().ShowMessage("Error saving style", failure, TMessageKind::Error);
    throw SilentAbort();
}

void TDomain::DeleteStyle()
{
    TGStyle* style = CurrentStyle();
    if (!style || styleManager_->ItemIndex() <= 0) return;
    const std::string question = "Sure to delete the style \"" + style->Name() + "\"?";
    if (Boxes().AskWarning("Warning", question) != TAnswer::Yes) return;
    emit OnDeleteStyle(styleManager_->ItemIndex());
    styleManager_->DeleteCurrent();
    if (mainWindow_) mainWindow_->UpdateStyleFrame(styleManager_->ItemIndex());
}

void TDomain::ResetStyle()
{
    TGStyle* style = CurrentStyle();
    if (!style || !style->Modified()) return;
    style->Reset();
    if (mainWindow_) mainWindow_->UpdateStyleFrame(styleManager_->ItemIndex());
    // The saved brush may not be the one chosen since: choose it again, as
    // choosing the style does, so that the brush shown is the one that draws.
    SelectStyleRenderer();
    if (mainWindow_) mainWindow_->UpdateControls();
}
