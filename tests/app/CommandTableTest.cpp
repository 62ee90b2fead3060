// The command table and its enabling rules: which commands run with no
// document, a fresh one, one with strokes and one after an undo; the style and
// pattern rules at their boundaries; the whole shortcut map at once.
#include "app/domain/CommandTable.h"

#include <gtest/gtest.h>

#include <QKeySequence>

#include <map>
#include <set>
#include <string>

namespace {

std::set<std::string> EnabledIn(const TCommandState& state)
{
    std::set<std::string> names;
    for (const TCommandInfo& c : CommandTable())
        if (CommandEnabled(c.Id, state)) names.insert(c.Name);
    return names;
}

std::set<std::string> Plus(std::set<std::string> a, const std::set<std::string>& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

// At start: the managers loaded, "Scratch Style" current, three patterns.
TCommandState AtStart()
{
    TCommandState s;
    s.HasStyleManager = true;
    s.HasCurrentStyle = true;
    s.StyleCount = 4;
    s.CurrentStyleIndex = 0;
    s.PatternCount = 3;
    return s;
}

const std::set<std::string> Always = {"OpenCommand",       "OpenProjectCommand", "ExitCommand",
                                      "NewPatternCommand", "EditPatternCommand", "DelPatternCommand",
                                      "HelpCommand",       "ContextHelpCommand", "AboutCommand",
                                      "NewStyleCommand",   "SaveStyleAsCommand"};
const std::set<std::string> WithDocument = {
    "SaveCommand",          "SaveProjectAsCommand",   "RenderAllCommand",     "CloseCommand",
    "PointerCommand",       "PatternCommand",         "AutoDirCommand",       "FreeHandCommand",
    "ViewBordersCommand",   "ViewDirectionsCommand",  "ApplyWithCurrentSettingsCommand",
    "ViewNavigatorCommand", "CopyResultToClipboardCommand", "FullScreenPreviewCommand"};

} // namespace

TEST(CommandTable, OneRowPerCommandInOrder)
{
    const auto& table = CommandTable();
    ASSERT_EQ(table.size(), size_t(TCommandId::Count));
    std::set<std::string> names;
    for (size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(size_t(table[i].Id), i);
        names.insert(table[i].Name);
        EXPECT_EQ(&CommandInfo(table[i].Id), &table[i]);
    }
    EXPECT_EQ(names.size(), table.size());
    EXPECT_STREQ(CommandInfo(TCommandId::SaveProjectAs).Caption, "Save Project &As...");
    EXPECT_STREQ(CommandInfo(TCommandId::Close).Caption, "&Close");
    EXPECT_STREQ(CommandInfo(TCommandId::DelStyle).Caption, "DeleteStyle");
    EXPECT_STREQ(CommandInfo(TCommandId::Open).Hint, "Open new picture to transform into pen & ink");
    EXPECT_STREQ(CommandInfo(TCommandId::ApplyWithCurrentSettings).Caption, "Apply to the entire image...");

    std::map<std::string, int> images;
    std::set<std::string> checkable;
    for (const TCommandInfo& c : table) {
        if (c.ImageIndex >= 0) images[c.Name] = c.ImageIndex;
        if (c.Checkable) checkable.insert(c.Name);
    }
    EXPECT_EQ(images, (std::map<std::string, int>{{"PointerCommand", 0},
                                                  {"AutoDirCommand", 1},
                                                  {"PatternCommand", 2},
                                                  {"FreeHandCommand", 3},
                                                  {"ContextHelpCommand", 4}}));
    EXPECT_EQ(checkable, (std::set<std::string>{"ViewBordersCommand", "ViewDirectionsCommand"}));
}

TEST(CommandTable, EveryKeyReachesExactlyOneCommand)
{
    std::map<std::string, std::string> keys;
    for (const TCommandInfo& c : CommandTable()) {
        std::vector<std::string> all = c.SecondaryShortcuts;
        if (*c.Shortcut) all.insert(all.begin(), c.Shortcut);
        for (const std::string& text : all) {
            // Portable text as Qt itself writes it, so the table parses as meant.
            const QString canonical = QKeySequence::fromString(QString::fromStdString(text), QKeySequence::PortableText)
                                          .toString(QKeySequence::PortableText);
            EXPECT_EQ(canonical.toStdString(), text);
            std::string& owner = keys[text];
            owner += owner.empty() ? c.Name : std::string(" and ") + c.Name;
        }
    }
    EXPECT_EQ(keys, (std::map<std::string, std::string>{
                        {"Ctrl+Alt+N", "NewFromClipboardCommand"},
                        {"Ctrl+O", "OpenCommand"},
                        {"Ctrl+A", "OpenProjectCommand"},
                        {"Ctrl+S", "SaveCommand"},
                        {"Ctrl+D", "SaveProjectCommand"},
                        {"Ctrl+Z", "UndoCommand"},
                        {"U", "UndoCommand"},
                        {"Shift+U", "UndoCommand"},
                        {"Ctrl+Y", "RedoCommand"},
                        {"Ctrl+P", "PostScriptCommand"},
                        {"Ctrl+Alt+S", "RenderAllCommand"},
                        {"Ctrl+F4", "CloseCommand"},
                        {"Ctrl+Q", "ExitCommand"},
                        {"P", "PointerCommand"},
                        {"T", "PatternCommand"},
                        {"A", "AutoDirCommand"},
                        {"F", "FreeHandCommand"},
                        {"F1", "HelpCommand"},
                        {"Ctrl+F", "RepeatLastApplyCommand"},
                        {"Ctrl+C", "CopyResultToClipboardCommand"},
                        {"F11", "FullScreenPreviewCommand"},
                    }));
}

TEST(CommandRules, NoDocumentFreshDocumentStrokesAndUndo)
{
    TCommandState none = AtStart();
    EXPECT_EQ(EnabledIn(none), Always);
    none.ClipboardHasBitmap = true;
    EXPECT_EQ(EnabledIn(none), Plus(Always, {"NewFromClipboardCommand"}));

    TCommandState fresh = AtStart();
    fresh.HasDocument = true;
    EXPECT_EQ(EnabledIn(fresh), Plus(Always, WithDocument));

    // Two steps of strokes: undo, snapshot, purge and PostScript open up.
    TCommandState strokes = fresh;
    strokes.CanUndo = strokes.CanTakeSnapshot = strokes.MoreThanOneState = strokes.HasStrokes = true;
    EXPECT_EQ(EnabledIn(strokes), Plus(Plus(Always, WithDocument),
                                       {"UndoCommand", "TakeSnapshotCommand", "PurgeCommand", "PostScriptCommand"}));

    // One of them undone: one applied state left, so no purge; redo opens.
    TCommandState undone = strokes;
    undone.CanRedo = true;
    undone.MoreThanOneState = false;
    EXPECT_EQ(EnabledIn(undone), Plus(Plus(Always, WithDocument),
                                      {"UndoCommand", "RedoCommand", "TakeSnapshotCommand", "PostScriptCommand"}));

    // A document's own flags reach nothing without the document.
    TCommandState stale = undone;
    stale.HasDocument = false;
    stale.HasProjectFileName = stale.HasApplied = stale.CanUndoToLastSnapshot = true;
    EXPECT_EQ(EnabledIn(stale), Always);
}

TEST(CommandRules, ProjectApplyAndSnapshotFlags)
{
    TCommandState s = AtStart();
    s.HasDocument = true;
    const std::pair<bool TCommandState::*, TCommandId> flags[] = {
        {&TCommandState::HasProjectFileName, TCommandId::SaveProject},
        {&TCommandState::HasApplied, TCommandId::RepeatLastApply},
        {&TCommandState::CanUndoToLastSnapshot, TCommandId::UndoToLastSnapshot},
        {&TCommandState::HasStrokes, TCommandId::PostScript},
    };
    for (const auto& [flag, id] : flags) {
        TCommandState with = s;
        with.*flag = true;
        EXPECT_FALSE(CommandEnabled(id, s)) << CommandInfo(id).Name;
        EXPECT_TRUE(CommandEnabled(id, with)) << CommandInfo(id).Name;
    }
    // Purge wants something to undo and more than one state.
    s.MoreThanOneState = true;
    EXPECT_FALSE(CommandEnabled(TCommandId::Purge, s));
    s.CanUndo = true;
    EXPECT_TRUE(CommandEnabled(TCommandId::Purge, s));
}

TEST(CommandRules, StyleAndPatternBoundaries)
{
    struct Case {
        int styles, index;
        bool modified;
        bool save, del, reset;
    };
    const Case cases[] = {
        {4, 0, false, false, false, false}, // Scratch Style, untouched
        {4, 0, true, false, false, true},   // Scratch Style, changed: reset only
        {4, 2, false, false, true, false},
        {4, 2, true, true, true, true},
        {2, 1, true, true, true, true},
        {1, 0, true, false, false, true},
    };
    for (const Case& c : cases) {
        TCommandState s = AtStart();
        s.StyleCount = c.styles;
        s.CurrentStyleIndex = c.index;
        s.CurrentStyleModified = c.modified;
        EXPECT_EQ(CommandEnabled(TCommandId::SaveStyle, s), c.save) << c.styles << " " << c.index;
        EXPECT_EQ(CommandEnabled(TCommandId::DelStyle, s), c.del) << c.styles << " " << c.index;
        EXPECT_EQ(CommandEnabled(TCommandId::ResetStyle, s), c.reset) << c.styles << " " << c.index;
        EXPECT_TRUE(CommandEnabled(TCommandId::SaveStyleAs, s));
    }
    // Without a current style none of its commands runs; without the manager no new one.
    TCommandState bare;
    bare.CurrentStyleModified = true;
    bare.StyleCount = 3;
    bare.CurrentStyleIndex = 1;
    for (TCommandId id : {TCommandId::SaveStyle, TCommandId::DelStyle, TCommandId::ResetStyle, TCommandId::SaveStyleAs,
                          TCommandId::NewStyle})
        EXPECT_FALSE(CommandEnabled(id, bare)) << CommandInfo(id).Name;

    for (int patterns : {0, 1, 2}) {
        TCommandState s;
        s.PatternCount = patterns;
        EXPECT_EQ(CommandEnabled(TCommandId::DelPattern, s), patterns > 1);
        EXPECT_TRUE(CommandEnabled(TCommandId::EditPattern, s));
        EXPECT_TRUE(CommandEnabled(TCommandId::NewPattern, s));
    }
}
