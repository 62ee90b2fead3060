// The command module's start-up, picture loading, closing and the manager
// handlers, headless with scripted windows.
#include "DomainFixture.h"

#include "app/tools/ToolManager.h"
#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StyleEnvironment.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"

#include <QAction>
#include <QSignalSpy>

#include <fstream>

using namespace domaintest;
namespace fs = std::filesystem;

namespace {

class DomainStartTest : public DomainFixture {};
class DomainLoadTest : public DomainFixture {};
class DomainCloseTest : public DomainFixture {};

} // namespace

// With the polygon renderer first, the selection is the third brush file, or
// the last renderer when fewer exist.
TEST_F(DomainStartTest, ScratchStyleAndRendererSelectionFollowTheBrushFiles)
{
    struct TCase {
        int Brushes;
        int ExpectedIndex;
        int32_t ExpectedID; // the default brushes are numbered 1..5 in file order
    };
    for (const TCase& c : {TCase{0, 0, 0}, TCase{2, 2, 2}, TCase{5, 3, 3}}) {
        SCOPED_TRACE(c.Brushes);
        QTemporaryDir scratch;
        folder = scratch.path().toStdString() + "/";
        Start(c.Brushes, 2, 1);
        TPersistentObjectManager& renderers = domain->RendererManager();
        EXPECT_EQ(renderers.Count(), c.Brushes + 1);
        EXPECT_NE(dynamic_cast<TPolygonStrokeRenderer*>(&renderers.GetObject(0)), nullptr);
        EXPECT_EQ(renderers.ItemIndex(), c.ExpectedIndex);
        EXPECT_EQ(renderers.Current()->ID(), c.ExpectedID);

        TPersistentObjectManager& styles = domain->StyleManager();
        ASSERT_EQ(styles.Count(), 3);
        EXPECT_EQ(styles.ItemIndex(), 0);
        auto& scratchStyle = dynamic_cast<TGStyle&>(styles.GetObject(0));
        EXPECT_EQ(scratchStyle.Name(), "Scratch Style");
        EXPECT_TRUE(scratchStyle.ReadOnly());
        EXPECT_FALSE(scratchStyle.Modified());
        EXPECT_FALSE(scratchStyle.ConfirmOverwrite());
        EXPECT_EQ(scratchStyle.GetStroke(), c.ExpectedID);
        EXPECT_EQ(scratchStyle.SavedCopy().Stroke, c.ExpectedID);
        EXPECT_EQ(styles.GetObject(1).Name(), "Fine Pen Hatching");
        EXPECT_FALSE(domain->Updating());
        EXPECT_EQ(domain->ApplyAllSteps(), 5000);
        EXPECT_EQ(domain->Document(), nullptr);
        EXPECT_EQ(StyleEnvironment().RendererManager(), &renderers);
        domain.reset();
    }
    EXPECT_EQ(StyleEnvironment().RendererManager(), nullptr);
}

TEST_F(DomainStartTest, TempFolderLosesItsFilesButKeepsItsFolders)
{
    fs::create_directories(folder + "tmp/keep");
    std::ofstream(folder + "tmp/00000001.bmp") << "old";
    std::ofstream(folder + "tmp/notes.txt") << "old";
    std::ofstream(folder + "tmp/keep/inner.txt") << "kept";
    Start(3, 0, 1);
    EXPECT_FALSE(fs::exists(folder + "tmp/00000001.bmp"));
    EXPECT_FALSE(fs::exists(folder + "tmp/notes.txt"));
    EXPECT_TRUE(fs::exists(folder + "tmp/keep/inner.txt"));
}

TEST_F(DomainLoadTest, PictureSizesAtTheLimits)
{
    Start();
    struct TCase {
        int Width, Height;
        bool Accepted;
        bool Offered;
    };
    for (const TCase& c : {TCase{100, 100, true, false}, TCase{99, 101, false, false},
                           TCase{1024, 1024, true, false}, TCase{1025, 1024, true, true}}) {
        SCOPED_TRACE(std::to_string(c.Width) + "x" + std::to_string(c.Height));
        ui.Messages.clear();
        ui.ResampleCalls.clear();
        const std::string name = WritePicture(folder, "p.png", c.Width, c.Height);
        if (c.Accepted) {
            domain->LoadImage(name, false);
            ASSERT_NE(domain->Document(), nullptr);
            EXPECT_EQ(domain->Document()->Source().Width(), c.Width);
            EXPECT_EQ(domain->Document()->Destination().Height(), c.Height);
            EXPECT_TRUE(ui.Messages.empty());
        } else {
            EXPECT_THROW(domain->LoadImage(name, false), SilentAbort);
            ASSERT_EQ(ui.Messages.size(), 1u);
            EXPECT_EQ(ui.Messages[0].Text, "The source image is too small");
            EXPECT_EQ(ui.Messages[0].Caption, "Error loading image");
            EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
        }
        ASSERT_EQ(ui.ResampleCalls.size(), c.Offered ? 1u : 0u);
        if (c.Offered) {
            EXPECT_EQ(ui.ResampleCalls[0].ProposedWidth, 1024);
            EXPECT_EQ(ui.ResampleCalls[0].ProposedHeight, 1024);
        }
        EXPECT_FALSE(domain->Updating());
    }
}

TEST_F(DomainLoadTest, ResampleProposalIsAboutOneMegapixel)
{
    struct TCase {
        int W, H, PW, PH;
    };
    for (const TCase& c : {TCase{2000, 1000, 1448, 724}, TCase{2000, 1500, 1182, 887}, TCase{1025, 1024, 1024, 1024},
                           TCase{4000, 3000, 1182, 887}, TCase{2000000, 1, 1448155, 1},
                           TCase{10000000, 1, 3238172, 1},
                           TCase{65536, 65536, 1024, 1024}}) {
        SCOPED_TRACE(std::to_string(c.W) + "x" + std::to_string(c.H));
        EXPECT_EQ(ResampleProposal(c.W, c.H), std::make_pair(c.PW, c.PH));
    }
}

TEST_F(DomainLoadTest, ResampleOfferDeclinedKeepsTheSizeAcceptedTakesTheDialogs)
{
    Start();
    const std::string name = WritePicture(folder, "wide.png", 2000, 1000);
    ui.ResampleAnswers = {std::nullopt, std::make_pair(1000, 500)};
    domain->LoadImage(name, false);
    ASSERT_EQ(ui.ResampleCalls.size(), 1u);
    EXPECT_EQ(ui.ResampleCalls[0].Width, 2000);
    EXPECT_EQ(ui.ResampleCalls[0].ProposedWidth, 1448);
    EXPECT_EQ(ui.ResampleCalls[0].ProposedHeight, 724);
    EXPECT_EQ(domain->Document()->Source().Width(), 2000);
    EXPECT_EQ(domain->Document()->FeatureMap().Width(), 2000);

    domain->LoadImage(name, false);
    EXPECT_EQ(domain->Document()->Source().Width(), 1000);
    EXPECT_EQ(domain->Document()->Source().Height(), 500);
    EXPECT_EQ(domain->Document()->Destination().Width(), 1000);
    EXPECT_EQ(domain->Document()->FeatureMap().Height(), 500);
    // The shrunk picture still shows the picture's colours (Mitchell, not a fill).
    EXPECT_NE(domain->Document()->Source().Pixel(10, 10), domain->Document()->Source().Pixel(990, 490));
}

// A resample size beyond the machine's memory is refused before anything is
// allocated: zero-filling it would get the process killed with the open work.
TEST_F(DomainLoadTest, ResampleToASizeTooLargeToHoldIsRefused)
{
    Start();
    LoadPicture(150, 120);
    TDualImage* doc = domain->Document();
    const std::string name = WritePicture(folder, "wide.png", 2000, 1000);
    ui.ResampleAnswers = {std::make_pair(1000000, 500000)};
    EXPECT_THROW(domain->LoadImage(name, false), SilentAbort);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error loading image");
    EXPECT_EQ(ui.Messages[0].Text, "The picture of 1000000 x 500000 pixels is too large");
    EXPECT_EQ(domain->Document(), doc);
    EXPECT_EQ(doc->Source().Width(), 150);
    EXPECT_FALSE(domain->Updating());
}

TEST_F(DomainLoadTest, NewDocumentIsAttachedWithThePointerTool)
{
    Start();
    QSignalSpy changes(domain.get(), &TDomain::OnChange);
    LoadPicture(120, 100);
    TDualImage* doc = domain->Document();
    ASSERT_NE(doc, nullptr);
    ASSERT_NE(domain->ToolManager(), nullptr);
    EXPECT_EQ(domain->ToolManager()->Mode(), 1);
    EXPECT_FALSE(domain->HasApplied());
    EXPECT_EQ(changes.count(), 2);
    EXPECT_EQ(window.ColorPanelResets, 1);
    EXPECT_FALSE(window.NavigatorShown);
    EXPECT_EQ(doc->Style(), domain->CurrentStyle());
    EXPECT_EQ(doc->PatternManager, &domain->PatternManager());
    EXPECT_EQ(doc->RendererManager, &domain->RendererManager());
    EXPECT_FALSE(doc->Modified);
    // The source shows half transparent at scale 1 over a white result.
    EXPECT_EQ(source.Bitmap()->MasterAlpha, 128);
    EXPECT_EQ(source.Bitmap()->DrawMode, TDrawMode::dmBlend);
    EXPECT_EQ(source.Scale(), 1.0f);
    EXPECT_EQ(dest.Bitmap()->Pixel(60, 50), clWhite32);
    EXPECT_EQ(dest.Bitmap()->Width(), 120);
}

// Nothing of the open document changes when the next picture is refused.
TEST_F(DomainLoadTest, RefusedPicturesLeaveTheOpenDocumentAsItWas)
{
    Start();
    LoadPicture(150, 120);
    TDualImage* doc = domain->Document();
    doc->BeginState();
    for (int i = 0; i < 40; ++i) doc->PlaceStrokeAt(20 + 3 * i, 60);
    doc->EndState();
    const auto sourceBefore = Pixels(doc->Source());
    const auto destBefore = Pixels(doc->Destination());
    const int layers = source.LayerCount();
    ASSERT_GT(doc->StrokeCount(), 0);

    std::ofstream(folder + "broken.png") << "not a picture";
    const std::string small = WritePicture(folder, "small.png", 99, 101);
    for (const std::string& name : {folder + "missing.png", folder + "broken.png", small}) {
        SCOPED_TRACE(name);
        ui.Messages.clear();
        EXPECT_THROW(domain->LoadImage(name, false), SilentAbort);
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(domain->Document(), doc);
        EXPECT_EQ(Pixels(doc->Source()), sourceBefore);
        EXPECT_EQ(Pixels(doc->Destination()), destBefore);
        EXPECT_EQ(source.LayerCount(), layers);
        EXPECT_EQ(source.Bitmap(), &doc->Source());
        EXPECT_FALSE(domain->Updating());
    }
    EXPECT_EQ(ui.Messages.back().Caption, "Error loading image");

    // An empty clipboard picture is an invalid image, raised without a box.
    ui.Messages.clear();
    ui.Clipboard = TBitmap32();
    EXPECT_THROW(domain->LoadImage("", true), EngineError);
    EXPECT_TRUE(ui.Messages.empty());
    EXPECT_EQ(domain->Document(), doc);
    EXPECT_EQ(Pixels(doc->Destination()), destBefore);
}

TEST_F(DomainLoadTest, ReadFailureShowsTheReadersMessage)
{
    Start();
    EXPECT_THROW(domain->LoadImage(folder + "missing.jpg", false), SilentAbort);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error loading file");
    EXPECT_FALSE(ui.Messages[0].Text.empty());
    EXPECT_EQ(domain->Document(), nullptr);
}

TEST_F(DomainCloseTest, CanCloseAsksOnlyForModifiedDocuments)
{
    Start();
    EXPECT_TRUE(domain->CanClose());
    LoadPicture(100, 100);
    EXPECT_TRUE(domain->CanClose());
    EXPECT_TRUE(ui.Questions.empty());

    struct TCase {
        TAnswer Answer;
        std::optional<std::string> SaveAs; // the project save dialog's answer after Yes
        bool Expected;
    };
    for (const TCase& c : {TCase{TAnswer::No, std::nullopt, true}, TCase{TAnswer::Cancel, std::nullopt, false},
                           TCase{TAnswer::Yes, std::nullopt, false},
                           TCase{TAnswer::Yes, folder + "saved.ovk", true}}) {
        domain->Document()->Modified = true;
        ui.Questions.clear();
        ui.Answers = {c.Answer};
        ui.SaveProjectNames = {c.SaveAs};
        EXPECT_EQ(domain->CanClose(), c.Expected);
        ASSERT_EQ(ui.Questions.size(), 1u);
        EXPECT_EQ(ui.Questions[0].Text, "Project not saved. Save before close?");
        EXPECT_TRUE(ui.Questions[0].WithCancel);
    }
    EXPECT_TRUE(fs::exists(folder + "saved.ovk"));
    EXPECT_FALSE(domain->Document()->Modified);
}

TEST_F(DomainCloseTest, CloseKeepsAModifiedDocumentOnCancelAndAlwaysNotifies)
{
    Start();
    LoadPicture(100, 100);
    QSignalSpy changes(domain.get(), &TDomain::OnChange);
    domain->Document()->Modified = true;
    ui.Answers = {TAnswer::Cancel};
    domain->Execute(TCommandId::Close);
    EXPECT_NE(domain->Document(), nullptr);
    EXPECT_EQ(changes.count(), 1);

    ui.Answers = {TAnswer::No};
    domain->Execute(TCommandId::Close);
    EXPECT_EQ(domain->Document(), nullptr);
    EXPECT_EQ(domain->ToolManager(), nullptr);
    EXPECT_EQ(changes.count(), 2);
    // The pictures stay in the views.
    EXPECT_EQ(dest.Bitmap()->Width(), 100);

    // Exit asks nothing without a document and ends the loop.
    domain->Execute(TCommandId::Exit);
    EXPECT_EQ(ui.Quits, 1);
}

// Close tells of the change on every path, also when a handler of the
// event fails: the failure ends the command, not the process.
TEST_F(DomainCloseTest, AFailingChangeHandlerDoesNotEndTheProgram)
{
    Start();
    LoadPicture(100, 100);
    int calls = 0;
    QObject::connect(domain.get(), &TDomain::OnChange, domain.get(), [&] {
        ++calls;
        throw EngineError("handler failed");
    });
    domain->Execute(TCommandId::Close);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(domain->Document(), nullptr);
}

TEST_F(DomainCloseTest, ExitStaysWhenTheQuestionIsCancelled)
{
    Start();
    LoadPicture(100, 100);
    domain->Document()->Modified = true;
    ui.Answers = {TAnswer::Cancel};
    domain->Execute(TCommandId::Exit);
    EXPECT_EQ(ui.Quits, 0);
    EXPECT_NE(domain->Document(), nullptr);
}

// The views go before the command module: the document lets go of them first.
TEST_F(DomainCloseTest, ViewsHandedBackFreeTheDocument)
{
    Start();
    LoadPicture(100, 100);
    domain->SetViews(nullptr, nullptr);
    EXPECT_EQ(domain->Document(), nullptr);
    EXPECT_EQ(source.Bitmap(), nullptr);
    EXPECT_EQ(source.LayerCount(), 0);
    EXPECT_EQ(dest.LayerCount(), 0);
}

TEST_F(DomainStartTest, ChoosingAStyleSelectsItsRendererWithoutWritingBack)
{
    Start(5, 2, 1);
    LoadPicture(100, 100);
    TPersistentObjectManager& styles = domain->StyleManager();
    styles.SetItemIndex(1); // "Fine Pen Hatching", the pen nib (3)
    EXPECT_EQ(domain->RendererManager().Current()->ID(), 3);
    EXPECT_FALSE(domain->CurrentStyle()->Modified());
    EXPECT_EQ(domain->Document()->Style(), domain->CurrentStyle());
    EXPECT_GT(window.ControlUpdates, 0);

    // Choosing a renderer writes it into the current style.
    window.StyleFrames.clear();
    domain->RendererManager().SetItemIndex(1);
    EXPECT_EQ(domain->CurrentStyle()->GetStroke(), domain->RendererManager().Current()->ID());
    EXPECT_TRUE(domain->CurrentStyle()->Modified());
    ASSERT_FALSE(window.StyleFrames.empty());
    EXPECT_EQ(window.StyleFrames.back(), 1);
}

TEST_F(DomainStartTest, IdleWorkNeverThrows)
{
    Start();
    domain->IdleWork();
    LoadPicture(100, 100);
    for (int i = 0; i < 3; ++i) {
        domain->Document()->BeginState();
        domain->Document()->PlaceStrokeAt(50, 50);
        domain->Document()->EndState();
    }
    domain->IdleWork();
    domain->IdleWork();
    EXPECT_EQ(domain->Document()->StateCount(), 3);
}

// Asking the clipboard waits for the program that owns it, for seconds when
// that program hangs: New from clipboard's rule reads what the clipboard
// said when it last changed, and only the command reads the picture.
TEST_F(DomainStartTest, TheClipboardIsAskedAtStartAndWhenItChangesNeverOnIdleTurns)
{
    ui.Clipboard = TBitmap32(120, 100, clWhite32); // there before the start
    Start();
    QAction* command = domain->Command(TCommandId::NewFromClipboard);
    const auto idleTurns = [this] {
        for (int turn = 0; turn < 50; ++turn) domain->UpdateAllCommands(); // idle turns and menus opening
    };
    idleTurns();
    EXPECT_EQ(ui.ClipboardQueries, 1);
    EXPECT_TRUE(command->isEnabled());

    ui.SetClipboard(std::nullopt);
    idleTurns();
    EXPECT_EQ(ui.ClipboardQueries, 2);
    EXPECT_FALSE(command->isEnabled());
    domain->Execute(TCommandId::NewFromClipboard);
    EXPECT_EQ(domain->Document(), nullptr);

    ui.SetClipboard(TBitmap32(130, 90, clWhite32));
    idleTurns();
    domain->Execute(TCommandId::NewFromClipboard);
    ASSERT_NE(domain->Document(), nullptr);
    EXPECT_EQ(domain->Document()->Source().Width(), 130);
    // The program's own copy is a change like any other.
    domain->Execute(TCommandId::CopyResultToClipboard);
    idleTurns();
    EXPECT_EQ(ui.ClipboardQueries, 4);
    EXPECT_TRUE(command->isEnabled());
}
