// The history commands (undo, redo, the roll-back to a snapshot, the purge)
// when a step's files in tmp/ cannot be read back (tmp/ emptied while the
// program runs, a file cut short), and the idle swapping when no swap file
// can be written.
#include "DomainFixture.h"

#include "BrokenTempFiles.h"
#include "app/domain/CommandTable.h"
#include "engine/GStates.h"
#include "engine/Strokes.h"
#include "engine/TempManager.h"
#include "gfx/Errors.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace domaintest;
using C = TCommandId;
namespace fs = std::filesystem;

namespace {

class DomainUndoFailureTest : public DomainFixture {
protected:
    void SetUp() override
    {
        DomainFixture::SetUp();
        Start(3, 0, 1);
    }

    // A new picture drawn in six steps; after each, the destination as it
    // stands goes to `pictures`, which starts with the white page.
    TDualImage& SixSteps(std::vector<std::vector<uint32_t>>* pictures = nullptr)
    {
        LoadPicture(160, 120);
        TDualImage& doc = *domain->Document();
        if (pictures) pictures->assign(1, Pixels(doc.Destination()));
        for (int i = 0; i < 6; ++i) {
            doc.BeginState();
            for (int k = 0; k < 4; ++k) doc.PlaceStrokeAt(30 + 25 * k, 30 + 10 * i);
            doc.EndState();
            if (pictures) pictures->push_back(Pixels(doc.Destination()));
        }
        EXPECT_EQ(doc.StateCount(), 6);
        return doc;
    }
    // The idle turns until the swapping has nothing more to move.
    void Idle()
    {
        for (int i = 0; i < 8; ++i) domain->IdleWork();
    }
};

// A history command, where it reads a step from disk: `Reach` brings the
// history there and names the file of that step to damage.
struct THistoryCase {
    C Command;
    const char* Caption;
    std::function<std::string(TDomain&, TDualImage&)> Reach;
};

std::vector<THistoryCase> HistoryCases()
{
    return {
        {C::Undo, "Error undoing",
         [](TDomain& domain, TDualImage& doc) {
             for (int i = 0; i < 3; ++i) domain.Execute(C::Undo);  // the three steps kept in memory
             return doc.States().GetState(2).BeforeDest().FileName();
         }},
        {C::Redo, "Error redoing",
         [](TDomain& domain, TDualImage& doc) {
             for (int i = 0; i < 5; ++i) domain.Execute(C::Undo);
             for (int i = 0; i < 8; ++i) domain.IdleWork();  // the first redo step goes back to disk
             return doc.States().GetState(1).BeforeDest().FileName();
         }},
        {C::UndoToLastSnapshot, "Error undoing",
         [](TDomain&, TDualImage& doc) { return doc.States().GetState(0).BeforeDest().FileName(); }},
        {C::Purge, "Error purging the undo history",
         [](TDomain&, TDualImage& doc) { return doc.States().GetState(0).Strokes().FileName(); }},
    };
}

// Ways the files of a step stop being readable, with what the message names.
struct TLostFiles {
    const char* What;
    std::function<std::shared_ptr<void>(const std::string& folder, const std::string& file)> Break;
    bool NamesTheFile;  // else a file in tmp/
    const char* Reason;
};

std::vector<TLostFiles> LostFileCases()
{
    return {
        {"tmp/ deleted",
         [](const std::string& folder, const std::string&) {
             fs::remove_all(folder + "tmp");
             return std::shared_ptr<void>(nullptr, [folder](void*) { fs::create_directory(folder + "tmp"); });
         },
         false, "No such file or directory"},
        {"the file cut short",
         [](const std::string&, const std::string& file) {
             fs::resize_file(file, fs::file_size(file) / 2);
             return std::shared_ptr<void>();
         },
         true, "File shorter than the"},
    };
}

} // namespace

// A history command that cannot read a step it needs stops with one message
// naming the file and the reason, and the document stays as it was: the
// position in the history, the steps, the strokes counted, the picture and
// the feature map. These errors used to be dropped without a word, and the
// roll-back to a snapshot stopped halfway, with steps undone.
TEST_F(DomainUndoFailureTest, HistoryCommandsThatCannotReadAStepSayWhyAndChangeNothing)
{
    for (const THistoryCase& command : HistoryCases()) {
        for (const TLostFiles& lost : LostFileCases()) {
            SCOPED_TRACE(std::string(CommandInfo(command.Command).Name) + ", " + lost.What);
            TDualImage& doc = SixSteps();
            Idle();
            ASSERT_TRUE(doc.States().GetState(0).IsCompressed());
            const std::string file = command.Reach(*domain, doc);
            ASSERT_TRUE(fs::exists(file)) << file;
            const int32_t current = doc.States().Current(), count = doc.States().Count();
            const int64_t strokes = doc.StrokeCount();
            const auto picture = Pixels(doc.Destination()), map = Pixels(doc.FeatureMap());
            ui.Messages.clear();
            {
                const auto broken = lost.Break(folder, file);
                EXPECT_THROW(domain->Execute(command.Command), SilentAbort);
            }
            ASSERT_EQ(ui.Messages.size(), 1u);
            EXPECT_EQ(ui.Messages[0].Caption, command.Caption);
            EXPECT_EQ(ui.Messages[0].Kind, TMessageKind::Error);
            const std::string named = lost.NamesTheFile ? file : folder + "tmp/";
            EXPECT_THAT(ui.Messages[0].Text, ::testing::HasSubstr("\"" + named));
            EXPECT_THAT(ui.Messages[0].Text, ::testing::HasSubstr(lost.Reason));
            EXPECT_EQ(doc.States().Current(), current);
            EXPECT_EQ(doc.States().Count(), count);
            EXPECT_EQ(doc.StrokeCount(), strokes);
            EXPECT_EQ(Pixels(doc.Destination()), picture);
            EXPECT_EQ(Pixels(doc.FeatureMap()), map);
        }
    }
}

// The idle swapping only saves memory: when no swap file can be written it
// says nothing, raises nothing out of the idle work, keeps every step in
// memory to the pixel, and does not try again at every idle turn (each try
// took a new name and wrote the whole list of names again).
TEST_F(DomainUndoFailureTest, IdleSwappingThatCannotWriteIsSilentAndKeepsEveryStep)
{
    for (const TBrokenTempFiles& c : BrokenTempFileCases()) {
        SCOPED_TRACE(c.What);
        std::vector<std::vector<uint32_t>> pictures;
        TDualImage& doc = SixSteps(&pictures);
        const auto map = Pixels(doc.FeatureMap());
        ui.Messages.clear();
        {
            const auto broken = c.Break(folder);
            EXPECT_NO_THROW(Idle());
            const size_t names = TempManager().Files().size();
            EXPECT_NO_THROW(Idle());
            EXPECT_EQ(TempManager().Files().size(), names);
        }
        EXPECT_TRUE(ui.Messages.empty());
        for (int i = 5; i >= 0; --i) {
            domain->Execute(C::Undo);
            EXPECT_EQ(Pixels(doc.Destination()), pictures[size_t(i)]) << "undone to " << i;
        }
        for (int i = 1; i <= 6; ++i) {
            domain->Execute(C::Redo);
            EXPECT_EQ(Pixels(doc.Destination()), pictures[size_t(i)]) << "redone to " << i;
        }
        EXPECT_EQ(Pixels(doc.FeatureMap()), map);
        EXPECT_TRUE(ui.Messages.empty());
    }
}
