// The file commands as a user runs them: results out under every extension,
// another size, the clipboard, projects in and out (failures included), and
// the questions that Open, Open Project and New from clipboard ask first.
#include "DomainFixture.h"
#include "FileTestSupport.h"

#include "app/tools/ToolManager.h"
#include "common/FileSizeLimit.h"
#include "engine/TempManager.h"
#include "gfx/Errors.h"

#include <QImageReader>
#include <QSignalSpy>

#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

using namespace domaintest;
namespace fs = std::filesystem;

namespace {

class DomainFilesTest : public DomainFixture {
protected:
    void SetUp() override
    {
        DomainFixture::SetUp();
        Start(3, 0, 1);
        LoadPicture(140, 110);
        Strokes(30);
    }
    void Strokes(int count)
    {
        TDualImage* doc = domain->Document();
        doc->BeginState();
        for (int i = 0; i < count; ++i) doc->PlaceStrokeAt(10 + (i * 37) % 120, 10 + (i * 23) % 90);
        doc->EndState();
    }
    static std::string Head(const std::string& fileName, size_t bytes)
    {
        std::ifstream file(fileName, std::ios::binary);
        std::string head(bytes, '\0');
        file.read(head.data(), static_cast<std::streamsize>(bytes));
        head.resize(static_cast<size_t>(file.gcount()));
        return head;
    }
};

} // namespace

TEST_F(DomainFilesTest, SaveResultChoosesTheWriterByExtension)
{
    struct TCase {
        std::string Name;
        std::string Magic;
    };
    for (const TCase& c : {TCase{"a.JPEG", "\xFF\xD8\xFF"}, TCase{"b.jpg", "\xFF\xD8\xFF"},
                           TCase{"c.Tif", "II*"}, TCase{"d.TIFF", "II*"}, TCase{"e.bmp", "BM"}}) {
        SCOPED_TRACE(c.Name);
        domain->Document()->Modified = true;
        ui.SaveImageNames = {folder + c.Name};
        domain->Execute(TCommandId::Save);
        EXPECT_EQ(Head(folder + c.Name, c.Magic.size()), c.Magic);
        EXPECT_TRUE(domain->Document()->Modified);
        QImageReader reader(QString::fromStdString(folder + c.Name));
        EXPECT_EQ(reader.size(), QSize(140, 110));
    }
    EXPECT_TRUE(ui.Messages.empty());
}

// Every writer gives the system's reason when its file cannot be created.
TEST_F(DomainFilesTest, ResultThatCannotBeCreatedSaysWhyWhateverTheType)
{
    for (const char* name : {"r.jpg", "r.bmp", "r.tif"}) {
        SCOPED_TRACE(name);
        const std::string fileName = folder + "no such folder/" + name;
        ui.Messages.clear();
        ui.SaveImageNames = {fileName};
        EXPECT_THROW(domain->Execute(TCommandId::Save), SilentAbort);
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Caption, "Error saving image");
        EXPECT_EQ(ui.Messages[0].Text, "Could not open " + fileName + " for writing: No such file or directory");
    }
}

// Nothing is written, so the drawing still counts as unsaved.
TEST_F(DomainFilesTest, UnsupportedResultTypeIsRefused)
{
    ui.SaveImageNames = {folder + "a.png"};
    EXPECT_THROW(domain->Execute(TCommandId::Save), SilentAbort);
    EXPECT_FALSE(fs::exists(folder + "a.png"));
    EXPECT_TRUE(domain->Document()->Modified);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Text.rfind("Unsupported file type", 0), 0u) << ui.Messages[0].Text;

    // Cancelling the dialog does nothing at all.
    domain->Execute(TCommandId::Save);
    EXPECT_TRUE(domain->Document()->Modified);
}

// A result image keeps none of the strokes, so only a project save counts as
// saving the drawing: after a result save, done or failed, closing still asks.
TEST_F(DomainFilesTest, SavingTheResultLeavesTheModifiedMarkAsItWas)
{
    struct TCase {
        const char* Name;
        TCommandId Command;
        std::string File;
        rlim_t SizeLimit; // 0: none
        std::string Error;
    };
    const TCase cases[] = {
        {"JPEG", TCommandId::Save, "r.jpg", 0, ""},
        {"another size", TCommandId::RenderAll, "big.tif", 0, ""},
        {"unsupported type", TCommandId::Save, "r.png", 0, "Unsupported file type"},
        {"full disk", TCommandId::Save, "r.bmp", 1000, "Could not write " + folder + "r.bmp: File too large"},
    };
    for (const TCase& c : cases)
        for (bool modified : {true, false}) {
            SCOPED_TRACE(std::string(c.Name) + (modified ? ", modified" : ", saved"));
            domain->Document()->Modified = modified;
            ui.Messages.clear();
            ui.SaveImageNames = {folder + c.File};
            ui.ImageSizeAnswers = {TImageSizeAnswer{280, 220, 300.0}};
            {
                std::optional<FileSizeLimit> cap;
                if (c.SizeLimit) cap.emplace(c.SizeLimit);
                if (c.Error.empty()) domain->Execute(c.Command);
                else EXPECT_THROW(domain->Execute(c.Command), SilentAbort);
            }
            EXPECT_EQ(domain->Document()->Modified, modified);
            if (!c.Error.empty()) {
                ASSERT_EQ(ui.Messages.size(), 1u);
                EXPECT_EQ(ui.Messages[0].Caption, "Error saving image");
                EXPECT_EQ(ui.Messages[0].Text.substr(0, c.Error.size()), c.Error);
            }
            if (!modified) continue;
            ui.Questions.clear();
            ui.Answers = {TAnswer::Cancel};
            domain->Execute(TCommandId::Exit);
            ASSERT_EQ(ui.Questions.size(), 1u);
            EXPECT_EQ(ui.Questions[0].Text, "Project not saved. Save before close?");
            EXPECT_EQ(ui.Quits, 0);
            EXPECT_NE(domain->Document(), nullptr);
        }
}

TEST_F(DomainFilesTest, SaveAtDifferentSizeReplaysAtTheScale)
{
    ui.ImageSizeAnswers = {TImageSizeAnswer{280, 220, 300.0}};
    ui.SaveImageNames = {folder + "big.tif"};
    domain->Execute(TCommandId::RenderAll);
    ASSERT_EQ(ui.ImageSizeCalls.size(), 1u);
    EXPECT_EQ(ui.ImageSizeCalls[0].Width, 140);
    EXPECT_EQ(ui.ImageSizeCalls[0].Height, 110);
    EXPECT_EQ(ui.ImageSizeCalls[0].DotsPerInch, 200.0);
    QImage big(QString::fromStdString(folder + "big.tif"));
    ASSERT_EQ(big.size(), QSize(280, 220));
    // White where no stroke went, strokes elsewhere.
    bool white = false, drawn = false;
    for (int y = 0; y < big.height(); ++y)
        for (int x = 0; x < big.width(); ++x) {
            const QRgb p = big.pixel(x, y) & 0xFFFFFFu;
            (p == 0xFFFFFFu ? white : drawn) = true;
        }
    EXPECT_TRUE(white);
    EXPECT_TRUE(drawn);

    // A side under 1 is refused before anything is allocated or written.
    ui.ImageSizeAnswers = {TImageSizeAnswer{0, 220, 200.0}};
    ui.SaveImageNames = {folder + "none.jpg"};
    domain->Execute(TCommandId::RenderAll);
    EXPECT_FALSE(fs::exists(folder + "none.jpg"));
    EXPECT_EQ(ui.Messages.size(), 1u);

    // So is a picture larger than the machine could hold (4 TB here).
    ui.ImageSizeAnswers = {TImageSizeAnswer{1000000, 1000000, 200.0}};
    domain->Execute(TCommandId::RenderAll);
    ASSERT_EQ(ui.Messages.size(), 2u);
    EXPECT_EQ(ui.Messages[1].Text, "The picture of 1000000 x 1000000 pixels is too large");
    EXPECT_EQ(ui.SaveImageNames.size(), 1u); // the save dialog never opened
}

TEST_F(DomainFilesTest, ClipboardRoundTrip)
{
    domain->Execute(TCommandId::CopyResultToClipboard);
    ASSERT_TRUE(ui.Clipboard.has_value());
    const auto copied = Pixels(*ui.Clipboard);
    EXPECT_EQ(copied, Pixels(domain->Document()->Destination()));

    // New from clipboard asks first when the drawing is not saved.
    domain->Document()->Modified = true;
    TDualImage* before = domain->Document();
    ui.Answers = {TAnswer::Cancel};
    domain->Execute(TCommandId::NewFromClipboard);
    EXPECT_EQ(domain->Document(), before);
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    ui.Answers = {TAnswer::No};
    domain->Execute(TCommandId::NewFromClipboard);
    ASSERT_NE(domain->Document(), nullptr);
    EXPECT_EQ(domain->Document()->Source().Width(), 140);
    EXPECT_EQ(Pixels(domain->Document()->Source()), copied);
    EXPECT_EQ(domain->Document()->StateCount(), 0);
}

TEST_F(DomainFilesTest, ProjectRoundTripThroughSaveAsAndOpenProject)
{
    const auto drawing = Pixels(domain->Document()->Destination());
    const int64_t strokes = domain->Document()->StrokeCount();
    Strokes(10);
    const auto drawing2 = Pixels(domain->Document()->Destination());
    ui.SaveProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    EXPECT_FALSE(domain->Document()->Modified);
    EXPECT_EQ(domain->Document()->FileName, folder + "p.ovk");
    EXPECT_EQ(domain->Document()->StateCount(), 1);
    domain->UpdateAllCommands();
    EXPECT_EQ(window.SaveButtonSaves, true);

    LoadPicture(100, 100);
    const int sourceLayers = source.LayerCount(), destLayers = dest.LayerCount();
    ui.OpenProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::OpenProject);
    TDualImage* doc = domain->Document();
    ASSERT_NE(doc, nullptr);
    // The old document took its layers with it.
    EXPECT_EQ(source.LayerCount(), sourceLayers);
    EXPECT_EQ(dest.LayerCount(), destLayers);
    EXPECT_EQ(doc->FileName, folder + "p.ovk");
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(doc->StrokeCount(), strokes + 10);
    EXPECT_EQ(Pixels(doc->Destination()), drawing2);
    EXPECT_NE(drawing, drawing2);
    EXPECT_EQ(doc->Source().MasterAlpha, 128);
    EXPECT_EQ(source.Bitmap(), &doc->Source());
    EXPECT_FALSE(domain->HasApplied());
    EXPECT_EQ(window.ColorPanelResets, 3);

    // Save Project writes straight back to the name the project came from.
    Strokes(5);
    domain->Execute(TCommandId::SaveProject);
    EXPECT_FALSE(doc->Modified);
    EXPECT_TRUE(ui.SaveProjectNames.empty());
}

TEST_F(DomainFilesTest, ProjectsThatCannotBeReadLeaveTheOpenDocument)
{
    ui.SaveProjectNames = {folder + "whole.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    const std::string whole = ReadFileBytes(folder + "whole.ovk");
    WriteFileBytes(folder + "cut.ovk", whole.substr(0, whole.size() / 3));
    WriteFileBytes(folder + "broken.ovk", "not a project at all");
    WriteFileBytes(folder + "empty.ovk", "");
    TDualImage* doc = domain->Document();
    doc->Modified = false; // no question before the dialog
    const auto destBefore = Pixels(doc->Destination());
    const auto sourceBefore = Pixels(doc->Source());
    const int layers = source.LayerCount();
    const auto damaged = [&](const std::string& name, const std::string& reason) {
        return "Cannot open project \"" + folder + name + "\": it is not a readable project file (" + reason + ")";
    };
    struct TCase {
        std::string Name, Text;
    };
    const TCase cases[] = {
        {"missing.ovk", "Cannot open file \"" + folder + "missing.ovk\". No such file or directory"},
        {"cut.ovk", damaged("cut.ovk", "Invalid BMP image: pixel data truncated")},
        {"broken.ovk", damaged("broken.ovk", "Invalid BMP image: header truncated")},
        {"empty.ovk", damaged("empty.ovk", "Invalid BMP image: header truncated")},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        ui.Messages.clear();
        ui.OpenProjectNames = {folder + c.Name};
        EXPECT_THROW(domain->Execute(TCommandId::OpenProject), SilentAbort);
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Caption, "Error loading file");
        EXPECT_EQ(ui.Messages[0].Text, c.Text);
        EXPECT_EQ(domain->Document(), doc);
        EXPECT_EQ(Pixels(doc->Destination()), destBefore);
        EXPECT_EQ(Pixels(doc->Source()), sourceBefore);
        EXPECT_EQ(source.LayerCount(), layers);
        EXPECT_FALSE(domain->Updating());
    }
    // The command line's path raises, so its caller reports it.
    EXPECT_THROW(domain->LoadProject(folder + "missing.ovk"), EngineError);
}

// Opening a project also writes its stroke records into tmp/. When that
// fails the project file is sound, and the box must not call it unreadable:
// a user might throw a good file away.
TEST_F(DomainFilesTest, ProjectsThatFailInTheTemporaryFilesAreNotCalledUnreadable)
{
    ui.SaveProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    TDualImage* doc = domain->Document();
    doc->Modified = false;
    const auto destBefore = Pixels(doc->Destination());
    // The next name the manager hands out: tmp/ is gone or no folder, so no
    // file of that name stands in its way.
    const auto nextStrokeList = [] {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%08lld", static_cast<long long>(TempManager().Counter()));
        return TempManager().TempFolder() + digits + ".tsk";
    };
    struct TCase {
        const char* What;
        std::function<void()> Break, Mend;
        std::function<std::string()> Text;
    };
    const std::string opening = "Cannot open project \"" + folder + "p.ovk\": ";
    const TCase cases[] = {
        {"tmp/ deleted", [&] { fs::remove_all(folder + "tmp"); }, [&] { fs::create_directory(folder + "tmp"); },
         [&] { return opening + "Cannot create file \"" + nextStrokeList() + "\". No such file or directory"; }},
        {"a file named tmp",
         [&] {
             fs::remove_all(folder + "tmp");
             WriteFileBytes(folder + "tmp", "");
         },
         [&] {
             fs::remove(folder + "tmp");
             fs::create_directory(folder + "tmp");
         },
         [&] { return opening + "Cannot create file \"" + nextStrokeList() + "\". Not a directory"; }},
        {"the list of temporary files is a folder",
         [&] {
             fs::remove(folder + "TempManager.log");
             fs::create_directory(folder + "TempManager.log");
         },
         [&] { fs::remove(folder + "TempManager.log"); },
         [&] { return opening + "Cannot create file \"" + folder + "TempManager.log\". Is a directory"; }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.What);
        ui.Messages.clear();
        ui.OpenProjectNames = {folder + "p.ovk"};
        c.Break();
        const std::string expected = c.Text();
        EXPECT_THROW(domain->Execute(TCommandId::OpenProject), SilentAbort);
        c.Mend();
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Caption, "Error loading file");
        EXPECT_EQ(ui.Messages[0].Text, expected);
        EXPECT_EQ(domain->Document(), doc);
        EXPECT_EQ(Pixels(doc->Destination()), destBefore);
    }
    // Mended, the same file opens.
    ui.OpenProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::OpenProject);
    EXPECT_NE(domain->Document(), doc);
    EXPECT_EQ(domain->Document()->FileName, folder + "p.ovk");
}

// The document takes the chosen name only once the project is written there,
// so after a failed Save As the project save still targets the earlier name
// (or, without one, asks for a name again).
TEST_F(DomainFilesTest, SaveProjectAsTakesTheNameOnlyWhenTheSaveSucceeded)
{
    TDualImage* doc = domain->Document();
    struct TCase {
        std::string Earlier; // the name before Save As; empty: none yet
        std::string Chosen;
    };
    const TCase cases[] = {{"", folder + "gone/p.ovk"}, {folder + "p.ovk", folder + "gone/q.ovk"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Chosen);
        doc->FileName = c.Earlier;
        doc->Modified = true;
        ui.Messages.clear();
        ui.SaveProjectNames = {c.Chosen};
        EXPECT_THROW(domain->Execute(TCommandId::SaveProjectAs), SilentAbort);
        ASSERT_EQ(ui.Messages.size(), 1u);
        EXPECT_EQ(ui.Messages[0].Caption, "Error saving project");
        EXPECT_EQ(ui.Messages[0].Text.rfind("Could not open " + c.Chosen + " for writing", 0), 0u) << ui.Messages[0].Text;
        EXPECT_EQ(doc->FileName, c.Earlier);
        EXPECT_TRUE(doc->Modified);
        domain->UpdateAllCommands();
        EXPECT_EQ(window.SaveButtonSaves, !c.Earlier.empty());
        EXPECT_FALSE(fs::exists(c.Chosen));
    }
    // Save Project writes to the name the document kept.
    domain->Execute(TCommandId::SaveProject);
    EXPECT_FALSE(doc->Modified);
    EXPECT_TRUE(fs::exists(folder + "p.ovk"));
}

TEST_F(DomainFilesTest, OpenProjectAsksFirstAndStopsOnCancel)
{
    ui.SaveProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    Strokes(3);
    ui.Answers = {TAnswer::Cancel};
    ui.OpenProjectNames = {folder + "p.ovk"};
    TDualImage* doc = domain->Document();
    domain->Execute(TCommandId::OpenProject);
    EXPECT_EQ(domain->Document(), doc);
    EXPECT_TRUE(doc->Modified);
    EXPECT_EQ(ui.OpenProjectNames.size(), 1u); // the dialog never opened
}

TEST_F(DomainFilesTest, OpenAsksThroughCloseAndStopsOnCancel)
{
    domain->Document()->Modified = true;
    TDualImage* doc = domain->Document();
    const std::string picture = WritePicture(folder, "next.png", 120, 120);
    ui.Answers = {TAnswer::Cancel};
    ui.OpenPictureNames = {picture};
    domain->Execute(TCommandId::Open);
    EXPECT_EQ(domain->Document(), doc);
    EXPECT_EQ(ui.OpenPictureNames.size(), 1u);

    ui.Answers = {TAnswer::No};
    domain->Execute(TCommandId::Open);
    ASSERT_NE(domain->Document(), nullptr);
    EXPECT_EQ(domain->Document()->Source().Width(), 120);
    EXPECT_EQ(window.FirstStyleSelections, 1);
}

TEST_F(DomainFilesTest, FailedProjectWriteKeepsTheOldFileAndModified)
{
    ui.SaveProjectNames = {folder + "p.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    const auto size = fs::file_size(folder + "p.ovk");
    Strokes(40);
    {
        FileSizeLimit cap(size / 2);
        EXPECT_THROW(domain->Execute(TCommandId::SaveProject), SilentAbort);
    }
    EXPECT_EQ(fs::file_size(folder + "p.ovk"), size);
    EXPECT_TRUE(domain->Document()->Modified);
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Error saving project");
    EXPECT_EQ(ui.Messages[0].Text, "Could not write " + folder + "p.ovk: File too large");
    // Closing then asks, and a failing save keeps the document open.
    ui.Answers = {TAnswer::Yes};
    {
        FileSizeLimit cap(size / 2);
        EXPECT_THROW(domain->CanClose(), SilentAbort);
    }
    EXPECT_NE(domain->Document(), nullptr);
}

TEST_F(DomainFilesTest, NetworkProjectsAreStagedThroughTmp)
{
    std::vector<std::string> asked;
    domain->IsRemoteDrive = [&](const std::string& path) {
        asked.push_back(path);
        return true;
    };
    ui.SaveProjectNames = {folder + "net.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    EXPECT_EQ(asked, std::vector<std::string>{folder + "net.ovk"});
    ASSERT_TRUE(fs::exists(folder + "net.ovk"));
    int staged = 0;
    for (const auto& entry : fs::directory_iterator(folder + "tmp"))
        if (entry.path().extension() == ".ovk") {
            ++staged;
            EXPECT_EQ(entry.path().stem().string().size(), 8u);
            EXPECT_EQ(fs::file_size(entry.path()), fs::file_size(folder + "net.ovk"));
        }
    EXPECT_EQ(staged, 1);
    EXPECT_FALSE(domain->Document()->Modified);
}

TEST_F(DomainFilesTest, PostScriptExportTellsWhereItWent)
{
    ui.PostScriptNames = {folder + "out.ps"};
    domain->Execute(TCommandId::PostScript);
    ASSERT_TRUE(fs::exists(folder + "out.ps"));
    ASSERT_EQ(ui.Messages.size(), 1u);
    EXPECT_EQ(ui.Messages[0].Caption, "Ocrastell");
    EXPECT_EQ(ui.Messages[0].Text, "The file was succesfully exported as a PostScript file:\r\n" + folder + "out.ps");
    EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Information);
}

// A picture and a project make their document by the same tail: the
// navigator hidden, both views at scale 1 with the linear filter, the source
// half transparent and blended, the pointer tool, and OnChange twice.
TEST_F(DomainFilesTest, PictureAndProjectAttachTheirDocumentsAlike)
{
    ui.SaveProjectNames = {folder + "tail.ovk"};
    domain->Execute(TCommandId::SaveProjectAs);
    const std::string picture = WritePicture(folder, "tail.png", 120, 100);
    struct TCase {
        const char* Name;
        std::function<void()> Load;
    };
    const TCase cases[] = {
        {"picture", [&] { domain->LoadImage(picture, false); }},
        {"project", [&] { domain->LoadProject(folder + "tail.ovk"); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        window.NavigatorShown = true;
        for (TImageView* view : {&source, &dest}) {
            view->SetScaleMode(TScaleMode::smNormal);
            view->SetScale(2.0f);
        }
        source.Bitmap()->MasterAlpha = 255;
        source.Bitmap()->DrawMode = TDrawMode::dmOpaque;
        dest.Bitmap()->StretchFilter = TStretchFilter::sfNearest;
        const int resets = window.ColorPanelResets;
        QSignalSpy changes(domain.get(), &TDomain::OnChange);
        c.Load();
        EXPECT_FALSE(window.NavigatorShown);
        EXPECT_EQ(changes.count(), 2);
        EXPECT_EQ(window.ColorPanelResets, resets + 1);
        for (TImageView* view : {&source, &dest}) {
            EXPECT_EQ(view->ScaleMode(), TScaleMode::smScale);
            EXPECT_EQ(view->Scale(), 1.0f);
            EXPECT_EQ(view->Bitmap()->StretchFilter, TStretchFilter::sfLinear);
        }
        EXPECT_EQ(source.Bitmap()->MasterAlpha, 128);
        EXPECT_EQ(source.Bitmap()->DrawMode, TDrawMode::dmBlend);
        EXPECT_EQ(domain->ToolManager()->Mode(), 1);
        EXPECT_FALSE(domain->HasApplied());
        EXPECT_FALSE(domain->Updating());
        EXPECT_FALSE(domain->Document()->Modified);
    }
}
