// The commands as actions: enabling rules over the document's life, the
// shortcut map, the tool and overlay commands, and the style and pattern
// commands with their events.
#include "DomainFixture.h"
#include "LargePictureFiles.h"
#include "app/domain/CommandTable.h"

#include "app/tools/ToolManager.h"
#include "app/windows/MainWindowRules.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"

#include <QAction>
#include <QIcon>
#include <QPixmap>
#include <QSignalSpy>

#include <climits>
#include <cstring>
#include <map>
#include <set>

using namespace domaintest;
using C = TCommandId;

namespace {

class DomainCommandsTest : public DomainFixture {
protected:
    std::set<C> Enabled()
    {
        domain->UpdateAllCommands();
        std::set<C> enabled;
        for (int i = 0; i < static_cast<int>(C::Count); ++i)
            if (domain->Command(static_cast<C>(i))->isEnabled()) enabled.insert(static_cast<C>(i));
        return enabled;
    }
    void StrokeStep()
    {
        TDualImage* doc = domain->Document();
        doc->BeginState();
        doc->PlaceStrokeAt(40, 40);
        doc->PlaceStrokeAt(70, 60);
        doc->EndState();
    }
};

// An editor that confirms with a name, or cancels.
class TFakeEditor : public TFormPersistentObject {
public:
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void SetObject(TPersistentObject* obj) override { Object = obj; }
    std::string GetObjectName() override { return "edited"; }
    int ShowModal() override { return Confirm ? mrOk : mrCancel; }
    std::string Caption;
    TPersistentObject* Object = nullptr;
    bool Confirm = true;
};

// A folder below `base` whose path, with its closing slash, is `length`
// characters long: folders of at most 200 characters nested.
std::string DeepFolder(std::string path, size_t length)
{
    while (path.size() + 1 < length) path += "/" + std::string(std::min<size_t>(200, length - path.size() - 2), 'd');
    std::filesystem::create_directories(path);
    return path + "/";
}

} // namespace

TEST_F(DomainCommandsTest, EnablingRulesOverTheDocumentsLife)
{
    Start(3, 1, 1);
    const std::set<C> always = {C::Open,     C::OpenProject, C::Exit,  C::NewPattern, C::EditPattern,
                                C::Help,     C::ContextHelp, C::About, C::NewStyle,   C::SaveStyleAs};
    EXPECT_EQ(Enabled(), always);

    ui.SetClipboard(TBitmap32(120, 100, clWhite32));
    std::set<C> expected = always;
    expected.insert(C::NewFromClipboard);
    EXPECT_EQ(Enabled(), expected);
    ui.SetClipboard(std::nullopt);

    LoadPicture(120, 100);
    const std::set<C> withDocument = {C::Save,          C::SaveProjectAs,  C::RenderAll,  C::Close,
                                      C::Pointer,       C::Pattern,        C::AutoDir,    C::FreeHand,
                                      C::ViewBorders,   C::ViewDirections, C::ApplyWithCurrentSettings,
                                      C::ViewNavigator, C::CopyResultToClipboard, C::FullScreenPreview};
    expected = always;
    expected.insert(withDocument.begin(), withDocument.end());
    EXPECT_EQ(Enabled(), expected);

    StrokeStep();
    StrokeStep();
    std::set<C> afterStrokes = expected;
    afterStrokes.insert({C::Undo, C::PostScript, C::Purge, C::TakeSnapshot, C::UndoToLastSnapshot});
    EXPECT_EQ(Enabled(), afterStrokes);

    domain->Execute(C::Undo);
    std::set<C> afterUndo = expected;
    afterUndo.insert({C::Undo, C::Redo, C::PostScript, C::TakeSnapshot, C::UndoToLastSnapshot});
    EXPECT_EQ(Enabled(), afterUndo);

    domain->Execute(C::Undo);
    std::set<C> nothingApplied = expected;
    // Only applied strokes count for the PostScript export.
    nothingApplied.insert(C::Redo);
    EXPECT_EQ(Enabled(), nothingApplied);
}

TEST_F(DomainCommandsTest, StyleRulesFollowTheCurrentStyle)
{
    Start(3, 2, 2);
    auto enabled = Enabled();
    // "Scratch Style" is never saved or deleted, modified or not.
    domain->CurrentStyle()->SetGain(30.0f);
    enabled = Enabled();
    EXPECT_FALSE(enabled.count(C::SaveStyle));
    EXPECT_FALSE(enabled.count(C::DelStyle));
    EXPECT_TRUE(enabled.count(C::ResetStyle));
    EXPECT_TRUE(enabled.count(C::SaveStyleAs));
    EXPECT_TRUE(enabled.count(C::DelPattern));

    domain->StyleManager().SetItemIndex(1);
    enabled = Enabled();
    EXPECT_FALSE(enabled.count(C::SaveStyle));
    EXPECT_TRUE(enabled.count(C::DelStyle));
    domain->CurrentStyle()->SetGain(31.0f);
    EXPECT_TRUE(Enabled().count(C::SaveStyle));
}

// Every command's keys at once; no key reaches two commands.
TEST_F(DomainCommandsTest, ShortcutMap)
{
    Start(0, 0, 1);
    std::map<std::string, std::string> keys;
    std::map<QString, int> uses;
    for (int i = 0; i < static_cast<int>(C::Count); ++i) {
        QAction* action = domain->Command(static_cast<C>(i));
        QStringList list;
        for (const QKeySequence& key : action->shortcuts()) {
            list << key.toString(QKeySequence::PortableText);
            ++uses[key.toString(QKeySequence::PortableText)];
        }
        if (!list.isEmpty()) keys[action->objectName().toStdString()] = list.join(", ").toStdString();
    }
    const std::map<std::string, std::string> expected = {
        {"NewFromClipboardCommand", "Ctrl+Alt+N"},
        {"OpenCommand", "Ctrl+O"},
        {"OpenProjectCommand", "Ctrl+A"},
        {"SaveCommand", "Ctrl+S"},
        {"SaveProjectCommand", "Ctrl+D"},
        {"UndoCommand", "Ctrl+Z, U, Shift+U"},
        {"RedoCommand", "Ctrl+Y"},
        {"PostScriptCommand", "Ctrl+P"},
        {"RenderAllCommand", "Ctrl+Alt+S"},
        {"CloseCommand", "Ctrl+F4"},
        {"ExitCommand", "Ctrl+Q"},
        {"PointerCommand", "P"},
        {"PatternCommand", "T"},
        {"AutoDirCommand", "A"},
        {"FreeHandCommand", "F"},
        {"HelpCommand", "F1"},
        {"RepeatLastApplyCommand", "Ctrl+F"},
        {"CopyResultToClipboardCommand", "Ctrl+C"},
        {"FullScreenPreviewCommand", "F11"},
    };
    EXPECT_EQ(keys, expected);
    for (const auto& [key, count] : uses) EXPECT_EQ(count, 1) << key.toStdString();
}

// Every command's caption, category and hint as the program shows them.
TEST_F(DomainCommandsTest, CaptionsCategoriesAndHints)
{
    Start(0, 0, 1);
    struct TRow {
        C Id;
        const char *Name, *Caption, *Category, *Hint;
    };
    const TRow rows[] = {
        {C::NewFromClipboard, "NewFromClipboardCommand", "New from clipboard", "File", ""},
        {C::Open, "OpenCommand", "Open", "File", "Open new picture to transform into pen & ink"},
        {C::OpenProject, "OpenProjectCommand", "Open Project", "File", ""},
        {C::Save, "SaveCommand", "Save", "File", "Save the destination image"},
        {C::SaveProject, "SaveProjectCommand", "Save Project", "File", ""},
        {C::Undo, "UndoCommand", "Undo", "Edit", ""},
        {C::Redo, "RedoCommand", "Redo", "Edit", ""},
        {C::SaveProjectAs, "SaveProjectAsCommand", "Save Project &As...", "File", ""},
        {C::PostScript, "PostScriptCommand", "PostScript Output", "File", "Export to postscript"},
        {C::RenderAll, "RenderAllCommand", "Save at different size", "File", ""},
        {C::Close, "CloseCommand", "&Close", "File", "Close current picture"},
        {C::Exit, "ExitCommand", "Exit", "File", "Exit application"},
        {C::Pointer, "PointerCommand", "Pointer", "Tools", "Pointer Tool"},
        {C::Pattern, "PatternCommand", "Pattern Tool", "Tools", "Pattern Tool"},
        {C::AutoDir, "AutoDirCommand", "Auto-sketch Tool", "Tools", "Auto Sketch"},
        {C::FreeHand, "FreeHandCommand", "Free Hand", "Tools", "Free Hand"},
        {C::ViewBorders, "ViewBordersCommand", "View Borders", "View", ""},
        {C::ViewDirections, "ViewDirectionsCommand", "View Directions", "View", ""},
        {C::NewPattern, "NewPatternCommand", "New pattern", "Patterns", "Create new pattern"},
        {C::EditPattern, "EditPatternCommand", "Edit selected pattern", "Patterns", "Edit selected pattern"},
        {C::DelPattern, "DelPatternCommand", "Delete selected pattern", "Patterns", "Delete selected pattern"},
        {C::Help, "HelpCommand", "Help", "Help", "Get more help"},
        {C::ContextHelp, "ContextHelpCommand", "What is this?", "Help", "Click on any item to get help"},
        {C::About, "AboutCommand", "About...", "Help", "Get information"},
        {C::NewStyle, "NewStyleCommand", "NewStyle", "Styles", "Create new style"},
        {C::SaveStyle, "SaveStyleCommand", "SaveStyle", "Styles", "Save selected style"},
        {C::DelStyle, "DelStyleCommand", "DeleteStyle", "Styles", "Delete selected style"},
        {C::ApplyWithCurrentSettings, "ApplyWithCurrentSettingsCommand", "Apply to the entire image...", "Edit", ""},
        {C::RepeatLastApply, "RepeatLastApplyCommand", "Repeat last apply", "Edit", ""},
        {C::TakeSnapshot, "TakeSnapshotCommand", "Take snapshot", "Edit", ""},
        {C::UndoToLastSnapshot, "UndoToLastSnapshotCommand", "Undo to last snapshot", "Edit", ""},
        {C::ResetStyle, "ResetStyleCommand", "ResetStyle", "Styles", "Reset parameters of the current style"},
        {C::SaveStyleAs, "SaveStyleAsCommand", "SaveStyleAs", "Styles", "Save current style with different name"},
        {C::Purge, "PurgeCommand", "Purge Undo", "Edit", ""},
        {C::ViewNavigator, "ViewNavigatorCommand", "View Navigator", "View", ""},
        {C::CopyResultToClipboard, "CopyResultToClipboardCommand", "Copy result to clipboard", "Edit", ""},
        {C::FullScreenPreview, "FullScreenPreviewCommand", "Full Screen Preview", "View", ""},
    };
    ASSERT_EQ(std::size(rows), static_cast<size_t>(C::Count));
    for (const TRow& row : rows) {
        QAction* action = domain->Command(row.Id);
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(action->objectName(), row.Name);
        EXPECT_EQ(action->text(), row.Caption);
        EXPECT_EQ(action->data().toString(), row.Category);
        EXPECT_EQ(action->statusTip(), row.Hint);
        EXPECT_EQ(action->isCheckable(), row.Id == C::ViewBorders || row.Id == C::ViewDirections);
    }
}

TEST_F(DomainCommandsTest, ToolCommandsTakeTheirPictures)
{
    Start(0, 0, 1);
    std::vector<QIcon> images;
    for (int i = 0; i < 5; ++i) {
        QPixmap picture(32, 32);
        picture.fill(QColor(40 * i, 0, 0));
        images.emplace_back(picture);
    }
    domain->SetToolImages(images);
    const std::pair<C, int> pictures[] = {{C::Pointer, 0}, {C::AutoDir, 1}, {C::Pattern, 2}, {C::FreeHand, 3},
                                          {C::ContextHelp, 4}};
    for (const auto& [command, index] : pictures)
        EXPECT_EQ(domain->Command(command)->icon().pixmap(32, 32).toImage().pixel(5, 5),
                  images[static_cast<size_t>(index)].pixmap(32, 32).toImage().pixel(5, 5));
    EXPECT_TRUE(domain->Command(C::Open)->icon().isNull());
}

TEST_F(DomainCommandsTest, ToolCommandsSelectTheirToolsAndNotify)
{
    Start(3, 0, 1);
    LoadPicture(100, 100);
    QSignalSpy changes(domain.get(), &TDomain::OnChange);
    QSignalSpy help(domain.get(), &TDomain::OnContextHelp);
    const std::pair<C, int> tools[] = {{C::Pattern, 4}, {C::AutoDir, 5}, {C::FreeHand, 3}, {C::Pointer, 1},
                                       {C::ContextHelp, 0}};
    for (const auto& [command, tool] : tools) {
        domain->Execute(command);
        EXPECT_EQ(domain->ToolManager()->Mode(), tool);
    }
    EXPECT_EQ(changes.count(), 4);
    EXPECT_EQ(help.count(), 1);
}

TEST_F(DomainCommandsTest, OverlaysToggleAndANewDocumentStartsWithThemOff)
{
    Start(3, 0, 1);
    LoadPicture(100, 100);
    QAction* borders = domain->Command(C::ViewBorders);
    borders->trigger();
    EXPECT_TRUE(domain->Document()->ShowEdges());
    EXPECT_TRUE(borders->isChecked());
    domain->Command(C::ViewDirections)->trigger();
    EXPECT_TRUE(domain->Document()->ShowDirections());
    borders->trigger();
    EXPECT_FALSE(domain->Document()->ShowEdges());
    EXPECT_FALSE(borders->isChecked());

    borders->trigger();
    LoadPicture(100, 100);
    EXPECT_FALSE(borders->isChecked());
    EXPECT_FALSE(domain->Command(C::ViewDirections)->isChecked());
    EXPECT_FALSE(domain->Document()->ShowEdges());
}

TEST_F(DomainCommandsTest, SaveProjectButtonFollowsTheProjectName)
{
    Start(3, 0, 1);
    domain->UpdateAllCommands();
    EXPECT_EQ(window.SaveButtonSaves, false);
    LoadPicture(100, 100);
    domain->UpdateAllCommands();
    EXPECT_EQ(window.SaveButtonSaves, false);
    domain->Document()->FileName = folder + "a.ovk";
    window.SaveButtonSaves.reset();
    domain->ActionUpdate(nullptr);
    EXPECT_FALSE(window.SaveButtonSaves.has_value()); // a foreign sender changes nothing
    domain->ActionUpdate(domain->Command(C::SaveProject));
    EXPECT_EQ(window.SaveButtonSaves, true);
}

TEST_F(DomainCommandsTest, DisabledCommandsDoNotRun)
{
    Start(3, 0, 1);
    domain->Execute(C::FullScreenPreview);
    domain->Execute(C::Save);
    EXPECT_EQ(ui.PreviewShown, 0);
    domain->Execute(C::About);
    domain->Execute(C::Help);
    EXPECT_EQ(ui.AboutShown, 1);
    EXPECT_EQ(ui.Opened, std::vector<std::string>{folder + "OcraHelp.chm"});
}

// A phone's photograph is offered for shrinking (Qt's readers refused it by
// default); a picture whose header states more pixels than the program can
// hold is refused with its size before anything is read.
TEST_F(DomainCommandsTest, OpenOffersToShrinkAPhotographAndRefusesAPictureTooLargeToHold)
{
    Start();
    const std::string photo = folder + "photo.jpg", huge = folder + "huge.png";
    largepictures::WritePhotoJpeg(photo, 8000, 6000);
    largepictures::WriteBlackPng(huge, 50000, 50000);
    ui.OpenPictureNames = {photo, huge};
    ui.ResampleAnswers = {std::make_pair(800, 600)};

    domain->Execute(C::Open);
    ASSERT_EQ(ui.ResampleCalls.size(), 1u);
    EXPECT_EQ(ui.ResampleCalls[0].Width, 8000);
    EXPECT_EQ(ui.ResampleCalls[0].Height, 6000);
    EXPECT_EQ(ui.ResampleCalls[0].ProposedWidth, 1182);
    EXPECT_EQ(ui.ResampleCalls[0].ProposedHeight, 887);
    ASSERT_NE(domain->Document(), nullptr);
    EXPECT_EQ(domain->Document()->Source().Width(), 800);
    EXPECT_EQ(domain->Document()->Source().Height(), 600);
    EXPECT_TRUE(ui.Messages.empty());

    EXPECT_THROW(domain->Execute(C::Open), SilentAbort);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error loading file");
    EXPECT_EQ(ui.Messages[0].Text, "The picture of 50000 x 50000 pixels is too large");
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    EXPECT_EQ(ui.ResampleCalls.size(), 1u);
    EXPECT_FALSE(domain->Updating());
}

TEST_F(DomainCommandsTest, NewStyleAndSaveStyleAs)
{
    Start(5, 1, 1);
    QSignalSpy updates(domain.get(), &TDomain::OnUpdateStyle);
    ui.InputAnswers = {std::nullopt, std::string("Mine")};
    domain->Execute(C::NewStyle);
    EXPECT_EQ(domain->StyleManager().Count(), 2);
    domain->Execute(C::NewStyle);
    ASSERT_EQ(domain->StyleManager().Count(), 3);
    EXPECT_EQ(ui.Inputs[0].Caption, "Ocrastell Pro");
    EXPECT_EQ(ui.Inputs[0].Prompt, "Enter a name for the new style:");
    EXPECT_EQ(ui.Inputs[0].Value, "new style name");
    TGStyle* mine = domain->CurrentStyle();
    EXPECT_EQ(mine->Name(), "Mine");
    EXPECT_EQ(mine->GetStroke(), 0);
    EXPECT_FALSE(mine->Modified());
    EXPECT_EQ(domain->StyleManager().ItemIndex(), 2);
    ASSERT_EQ(updates.count(), 1);
    EXPECT_EQ(updates.at(0).at(0).toInt(), 2);
    // The new style's renderer (0, the polygon renderer) became current.
    EXPECT_EQ(domain->RendererManager().ItemIndex(), 0);

    // Save Style As writes the copy, which a new start lists.
    domain->StyleManager().SetItemIndex(0);
    domain->CurrentStyle()->SetGain(20.0f);
    ui.InputAnswers = {std::string("Copy of scratch")};
    domain->Execute(C::SaveStyleAs);
    TGStyle* copy = domain->CurrentStyle();
    EXPECT_EQ(copy->Name(), "Copy of scratch");
    EXPECT_FALSE(copy->Modified());
    EXPECT_FALSE(copy->FileName().empty());
    EXPECT_EQ(copy->GetGain(), 20.0f);
    domain.reset();
    StartOnly();
    bool listed = false;
    for (int i = 0; i < domain->StyleManager().Count(); ++i)
        if (domain->StyleManager().GetObject(i).Name() == "Copy of scratch") {
            listed = true;
            EXPECT_EQ(dynamic_cast<TGStyle&>(domain->StyleManager().GetObject(i)).GetGain(), 20.0f);
        }
    EXPECT_TRUE(listed);
    // New Style stays in memory only.
    for (int i = 0; i < domain->StyleManager().Count(); ++i)
        EXPECT_NE(domain->StyleManager().GetObject(i).Name(), "Mine");
}

// A program folder where no file can be made (a read-only one, for a user):
// the copy stays listed and current, marked as not saved with Save enabled,
// and a box names the file and the reason. Here the folder's path is so long
// that the save's temporary name passes the system's limit, which stops root
// too, while the brush and pattern files it starts with still fit.
TEST_F(DomainCommandsTest, SaveStyleAsThatCannotWriteKeepsTheCopyListedAsNotSaved)
{
    const size_t temporaryName = std::strlen("style0000.gst.XXXXXX");
    folder = DeepFolder(dir.path().toStdString(), PATH_MAX - temporaryName);
    Start(3, 0, 1);
    LoadPicture(120, 100);
    const int count = domain->StyleManager().Count();
    ui.InputAnswers = {std::string("Copy")};
    window.StyleFrames.clear();
    EXPECT_THROW(domain->Execute(C::SaveStyleAs), SilentAbort);

    ASSERT_EQ(domain->StyleManager().Count(), count + 1);
    EXPECT_EQ(domain->StyleManager().ItemIndex(), count);
    TGStyle* copy = domain->CurrentStyle();
    EXPECT_EQ(copy->Name(), "Copy");
    EXPECT_TRUE(copy->Modified());
    EXPECT_TRUE(copy->FileName().empty());
    ASSERT_FALSE(window.StyleFrames.empty());
    EXPECT_EQ(window.StyleFrames.back(), count);
    EXPECT_NE(StyleEntryText(copy->Name(), copy->Modified(), count).find(" (not saved) "), std::string::npos);
    EXPECT_TRUE(Enabled().count(C::SaveStyle));

    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error saving style");
    EXPECT_NE(ui.Messages[0].Text.find(folder + "style0000.gst"), std::string::npos) << ui.Messages[0].Text;
    EXPECT_NE(ui.Messages[0].Text.find(std::strerror(ENAMETOOLONG)), std::string::npos) << ui.Messages[0].Text;
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().string().find(".gst"), std::string::npos) << entry.path();
}

TEST_F(DomainCommandsTest, SaveStyleThatCannotWriteSaysWhyAndKeepsTheStyleNotSaved)
{
    Start(3, 2, 1);
    QSignalSpy updates(domain.get(), &TDomain::OnUpdateStyle);
    domain->StyleManager().SetItemIndex(1);
    TGStyle* style = domain->CurrentStyle();
    style->SetGain(style->GetGain() + 1.0f);
    // A folder where the file was: the new file cannot be renamed into place.
    const std::string file = style->FileName();
    std::filesystem::remove(file);
    std::filesystem::create_directory(file);
    EXPECT_THROW(domain->Execute(C::SaveStyle), SilentAbort);

    EXPECT_TRUE(style->Modified());
    EXPECT_TRUE(Enabled().count(C::SaveStyle));
    ASSERT_EQ(updates.count(), 1);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error saving style");
    EXPECT_NE(ui.Messages[0].Text.find(file), std::string::npos) << ui.Messages[0].Text;
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find(".gst."), std::string::npos) << entry.path();
}

TEST_F(DomainCommandsTest, SaveResetAndDeleteStyle)
{
    Start(5, 2, 1);
    QSignalSpy updates(domain.get(), &TDomain::OnUpdateStyle);
    QSignalSpy deletes(domain.get(), &TDomain::OnDeleteStyle);
    domain->StyleManager().SetItemIndex(2);
    TGStyle* style = domain->CurrentStyle();
    const float gain = style->GetGain();
    const int32_t brush = domain->RendererManager().ItemIndex();
    style->SetGain(gain + 5.0f);
    domain->RendererManager().SetItemIndex((brush + 1) % domain->RendererManager().Count());
    domain->Execute(C::ResetStyle);
    EXPECT_EQ(style->GetGain(), gain);
    EXPECT_EQ(domain->RendererManager().ItemIndex(), brush);
    EXPECT_FALSE(style->Modified());

    style->SetGain(gain + 1.0f);
    domain->Execute(C::SaveStyle);
    EXPECT_FALSE(style->Modified());
    ASSERT_EQ(updates.count(), 1);
    EXPECT_EQ(updates.at(0).at(0).toInt(), 2);
    const std::string file = style->FileName();

    ui.Answers = {TAnswer::No, TAnswer::Yes};
    domain->Execute(C::DelStyle);
    EXPECT_EQ(domain->StyleManager().Count(), 3);
    domain->Execute(C::DelStyle);
    ASSERT_EQ(ui.Questions.size(), 2u);
    EXPECT_EQ(ui.Questions[1].Text, "Sure to delete the style \"Pencil Sketch\"?");
    EXPECT_EQ(domain->StyleManager().Count(), 2);
    ASSERT_EQ(deletes.count(), 1);
    EXPECT_EQ(deletes.at(0).at(0).toInt(), 2);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(domain->StyleManager().ItemIndex(), 0);
}

TEST_F(DomainCommandsTest, PatternCommandsFireTheirEvents)
{
    Start(3, 0, 2);
    TFakeEditor editor;
    domain->PatternManager().SetEditForm(&editor);
    QSignalSpy updates(domain.get(), &TDomain::OnUpdatePattern);
    QSignalSpy deletes(domain.get(), &TDomain::OnDeletePattern);

    domain->Execute(C::NewPattern);
    ASSERT_EQ(domain->PatternManager().Count(), 3);
    auto* created = dynamic_cast<TPattern*>(editor.Object);
    ASSERT_NE(created, nullptr);
    EXPECT_EQ(created->FrameCount(), 5);
    ASSERT_EQ(updates.count(), 1);
    EXPECT_EQ(updates.at(0).at(0).toInt(), 2);

    editor.Confirm = false;
    domain->Execute(C::EditPattern);
    EXPECT_EQ(updates.count(), 1);
    editor.Confirm = true;
    domain->Execute(C::EditPattern);
    EXPECT_EQ(updates.count(), 2);

    domain->PatternManager().SetItemIndex(1);
    domain->Execute(C::DelPattern);
    domain->Execute(C::DelPattern);
    EXPECT_EQ(domain->PatternManager().Count(), 1);
    ASSERT_EQ(deletes.count(), 2);
    EXPECT_EQ(deletes.at(0).at(0).toInt(), 0);
    // The last pattern is never deleted.
    domain->Execute(C::DelPattern);
    EXPECT_EQ(domain->PatternManager().Count(), 1);
    domain->PatternManager().SetEditForm(nullptr);
}

TEST_F(DomainCommandsTest, EditPatternWithoutPatternsRaisesAClearError)
{
    Start(3, 0, 0);
    TFakeEditor editor;
    domain->PatternManager().SetEditForm(&editor);
    EXPECT_THROW(domain->Execute(C::EditPattern), EngineError);
    // Through the action the error goes no further.
    domain->Command(C::EditPattern)->trigger();
    domain->PatternManager().SetEditForm(nullptr);
}

TEST_F(DomainCommandsTest, SnapshotAndPurge)
{
    Start(3, 0, 1);
    LoadPicture(100, 100);
    StrokeStep();
    domain->Execute(C::TakeSnapshot);
    StrokeStep();
    StrokeStep();
    domain->UpdateAllCommands();
    EXPECT_TRUE(domain->Command(C::UndoToLastSnapshot)->isEnabled());
    domain->Execute(C::UndoToLastSnapshot);
    EXPECT_TRUE(domain->Document()->CanRedo());
    domain->Execute(C::Redo);
    domain->Execute(C::Redo);
    domain->Execute(C::Purge);
    EXPECT_EQ(domain->Document()->StateCount(), 1);
}

// A drag of a drawing tool holds an undo step open from press to release,
// with the picture as it was at the press. Undo or Redo from the keyboard in
// between changed the picture under the open step, and the release then
// pushed a step whose before-image brought undone strokes back (while the
// undone steps stayed redoable beneath it). The history commands wait for
// the release.
TEST_F(DomainCommandsTest, HistoryCommandsWaitWhileADragHoldsAnUndoStepOpen)
{
    Start(3, 0, 1);
    LoadPicture(100, 100);
    StrokeStep();
    domain->Execute(C::TakeSnapshot);
    StrokeStep();
    domain->Execute(C::Undo);
    TDualImage& doc = *domain->Document();
    const int applied = doc.StateCount();

    doc.BeginState(); // the press of a pattern, auto-sketch or free-hand drag
    const std::set<C> held{C::Undo, C::Redo, C::TakeSnapshot, C::UndoToLastSnapshot, C::Purge};
    const std::set<C> enabled = Enabled();
    for (C id : held) EXPECT_EQ(enabled.count(id), 0u) << CommandInfo(id).Name;
    for (C id : held) domain->Execute(id);
    EXPECT_EQ(doc.StateCount(), applied);
    EXPECT_TRUE(doc.CanRedo());
    doc.PlaceStrokeAt(50, 50);
    doc.EndState(); // the release

    EXPECT_TRUE(Enabled().count(C::Undo));
    EXPECT_FALSE(doc.CanRedo());
}
