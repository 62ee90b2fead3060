#include "app/domain/CommandTable.h"

#include <cstddef>
#include <stdexcept>

namespace {

using C = TCommandId;

// Key A belongs to the auto-sketch tool alone and Redo keeps only Ctrl+Y: Qt
// silences every action whose key another enabled action shares. Undo's
// plain letter is taken both unshifted and shifted ("u" and "U").
std::vector<TCommandInfo> MakeTable()
{
    return {
        {C::NewFromClipboard, "NewFromClipboardCommand", "New from clipboard", "File", "Ctrl+Alt+N", {}, "", -1, false},
        {C::Open, "OpenCommand", "Open", "File", "Ctrl+O", {}, "Open new picture to transform into pen & ink", -1, false},
        {C::OpenProject, "OpenProjectCommand", "Open Project", "File", "Ctrl+A", {}, "", -1, false},
        {C::Save, "SaveCommand", "Save", "File", "Ctrl+S", {}, "Save the destination image", -1, false},
        {C::SaveProject, "SaveProjectCommand", "Save Project", "File", "Ctrl+D", {}, "", -1, false},
        {C::Undo, "UndoCommand", "Undo", "Edit", "Ctrl+Z", {"U", "Shift+U"}, "", -1, false},
        {C::Redo, "RedoCommand", "Redo", "Edit", "Ctrl+Y", {}, "", -1, false},
        {C::SaveProjectAs, "SaveProjectAsCommand", "Save Project &As...", "File", "", {}, "", -1, false},
        {C::PostScript, "PostScriptCommand", "PostScript Output", "File", "Ctrl+P", {}, "Export to postscript", -1, false},
        {C::RenderAll, "RenderAllCommand", "Save at different size", "File", "Ctrl+Alt+S", {}, "", -1, false},
        {C::Close, "CloseCommand", "&Close", "File", "Ctrl+F4", {}, "Close current picture", -1, false},
        {C::Exit, "ExitCommand", "Exit", "File", "Ctrl+Q", {}, "Exit application", -1, false},
        {C::Pointer, "PointerCommand", "Pointer", "Tools", "P", {}, "Pointer Tool", 0, false},
        {C::Pattern, "PatternCommand", "Pattern Tool", "Tools", "T", {}, "Pattern Tool", 2, false},
        {C::AutoDir, "AutoDirCommand", "Auto-sketch Tool", "Tools", "A", {}, "Auto Sketch", 1, false},
        {C::FreeHand, "FreeHandCommand", "Free Hand", "Tools", "F", {}, "Free Hand", 3, false},
        {C::ViewBorders, "ViewBordersCommand", "View Borders", "View", "", {}, "", -1, true},
        {C::ViewDirections, "ViewDirectionsCommand", "View Directions", "View", "", {}, "", -1, true},
        {C::NewPattern, "NewPatternCommand", "New pattern", "Patterns", "", {}, "Create new pattern", -1, false},
        {C::EditPattern, "EditPatternCommand", "Edit selected pattern", "Patterns", "", {}, "Edit selected pattern", -1,
         false},
        {C::DelPattern, "DelPatternCommand", "Delete selected pattern", "Patterns", "", {}, "Delete selected pattern",
         -1, false},
        {C::Help, "HelpCommand", "Help", "Help", "F1", {}, "Get more help", -1, false},
        {C::ContextHelp, "ContextHelpCommand", "What is this?", "Help", "", {}, "Click on any item to get help", 4,
         false},
        {C::About, "AboutCommand", "About...", "Help", "", {}, "Get information", -1, false},
        {C::NewStyle, "NewStyleCommand", "NewStyle", "Styles", "", {}, "Create new style", -1, false},
        {C::SaveStyle, "SaveStyleCommand", "SaveStyle", "Styles", "", {}, "Save selected style", -1, false},
        {C::DelStyle, "DelStyleCommand", "DeleteStyle", "Styles", "", {}, "Delete selected style", -1, false},
        {C::ApplyWithCurrentSettings, "ApplyWithCurrentSettingsCommand", "Apply to the entire image...", "Edit", "", {},
         "", -1, false},
        {C::RepeatLastApply, "RepeatLastApplyCommand", "Repeat last apply", "Edit", "Ctrl+F", {}, "", -1, false},
        {C::TakeSnapshot, "TakeSnapshotCommand", "Take snapshot", "Edit", "", {}, "", -1, false},
        {C::UndoToLastSnapshot, "UndoToLastSnapshotCommand", "Undo to last snapshot", "Edit", "", {}, "", -1, false},
        {C::ResetStyle, "ResetStyleCommand", "ResetStyle", "Styles", "", {}, "Reset parameters of the current style",
         -1, false},
        {C::SaveStyleAs, "SaveStyleAsCommand", "SaveStyleAs", "Styles", "", {}, "Save current style with different name",
         -1, false},
        {C::Purge, "PurgeCommand", "Purge Undo", "Edit", "", {}, "", -1, false},
        {C::ViewNavigator, "ViewNavigatorCommand", "View Navigator", "View", "", {}, "", -1, false},
        {C::CopyResultToClipboard, "CopyResultToClipboardCommand", "Copy result to clipboard", "Edit", "Ctrl+C", {}, "",
         -1, false},
        {C::FullScreenPreview, "FullScreenPreviewCommand", "Full Screen Preview", "View", "F11", {}, "", -1, false},
    };
}

const std::vector<TCommandInfo>& CheckedTable()
{
    static const std::vector<TCommandInfo> table = [] {
        std::vector<TCommandInfo> rows = MakeTable();
        if (rows.size() != static_cast<size_t>(TCommandId::Count))
            throw std::logic_error("The command table misses a command");
        for (size_t i = 0; i < rows.size(); ++i)
            if (static_cast<size_t>(rows[i].Id) != i) throw std::logic_error("The command table is out of order");
        return rows;
    }();
    return table;
}

} // namespace

const std::vector<TCommandInfo>& CommandTable() { return CheckedTable(); }

const TCommandInfo& CommandInfo(TCommandId id) { return CommandTable().at(static_cast<size_t>(id)); }

bool CommandEnabled(TCommandId id, const TCommandState& s)
{
    const bool doc = s.HasDocument;
    switch (id) {
    case C::NewFromClipboard: return s.ClipboardHasBitmap;
    case C::Open:
    case C::OpenProject:
    case C::Exit:
    case C::NewPattern:
    case C::EditPattern:
    case C::Help:
    case C::ContextHelp:
    case C::About: return true;
    case C::SaveProject: return doc && s.HasProjectFileName;
    case C::Undo: return doc && s.CanUndo;
    case C::Redo: return doc && s.CanRedo;
    case C::PostScript: return doc && s.HasStrokes;
    case C::DelPattern: return s.PatternCount > 1;
    case C::NewStyle: return s.HasStyleManager;
    case C::SaveStyle: return s.HasCurrentStyle && s.CurrentStyleModified && s.CurrentStyleIndex > 0;
    case C::DelStyle: return s.HasCurrentStyle && s.StyleCount > 1 && s.CurrentStyleIndex > 0;
    case C::RepeatLastApply: return doc && s.HasApplied;
    case C::TakeSnapshot: return doc && s.CanTakeSnapshot;
    case C::UndoToLastSnapshot: return doc && s.CanUndoToLastSnapshot;
    case C::ResetStyle: return s.HasCurrentStyle && s.CurrentStyleModified;
    case C::SaveStyleAs: return s.HasCurrentStyle;
    case C::Purge: return doc && s.CanUndo && s.MoreThanOneState;
    case C::Save:
    case C::SaveProjectAs:
    case C::RenderAll:
    case C::Close:
    case C::Pointer:
    case C::Pattern:
    case C::AutoDir:
    case C::FreeHand:
    case C::ViewBorders:
    case C::ViewDirections:
    case C::ApplyWithCurrentSettings:
    case C::ViewNavigator:
    case C::CopyResultToClipboard:
    case C::FullScreenPreview: return doc;
    case C::Count: break;
    }
    return false;
}
