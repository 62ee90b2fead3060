// The program's commands as data (caption, category, shortcuts, hint, image)
// and their enabling rules as a pure function of the state they depend on, so
// that both are read and tested without a widget.
#pragma once

#include "app/domain/CommandId.h"

#include <string>
#include <vector>

struct TCommandInfo {
    TCommandId Id;
    const char* Name;
    const char* Caption;
    const char* Category;
    // QKeySequence portable text; "" for none.
    const char* Shortcut;
    std::vector<std::string> SecondaryShortcuts;
    const char* Hint;
    // Into the tool images: pointer 0, auto-sketch 1, pattern 2, free hand 3,
    // "What is this?" 4; -1 for none.
    int ImageIndex;
    bool Checkable;
};

// One row per command, in TCommandId order.
const std::vector<TCommandInfo>& CommandTable();
const TCommandInfo& CommandInfo(TCommandId id);

// What the enabling rules look at.
struct TCommandState {
    bool HasDocument = false;
    bool CanUndo = false;
    bool CanRedo = false;
    bool CanTakeSnapshot = false;
    bool CanUndoToLastSnapshot = false;
    // The document has more than one undo state.
    bool MoreThanOneState = false;
    // At least one stroke is recorded.
    bool HasStrokes = false;
    bool HasProjectFileName = false;
    // An apply run was started on the current document.
    bool HasApplied = false;
    bool ClipboardHasBitmap = false;
    bool HasStyleManager = false;
    bool HasCurrentStyle = false;
    bool CurrentStyleModified = false;
    int PatternCount = 0;
    int StyleCount = 0;
    int CurrentStyleIndex = 0;
};

// Whether the command may run in that state.
bool CommandEnabled(TCommandId id, const TCommandState& state);
