// Saving the project file: a round trip through the file, the staging of a
// network save through tmp/, and failures that keep the earlier project and
// the document's Modified flag.
#include "app/domain/ProjectSaver.h"

#include "FileTestSupport.h"
#include "engine/SmallDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const auto Local = [](const std::string&) { return false; };

// Two steps of strokes, not yet saved.
class ProjectSaverTest : public ::testing::Test, protected TSmallDrawing {
protected:
    ProjectSaverTest()
    {
        Step(40);
        Step(40);
    }

    std::string ProjectName(const std::string& name) const { return temp.Folder() + name; }

    // The staged copies in tmp/: eight digits and ".ovk".
    std::vector<std::string> StagedProjects() const
    {
        std::vector<std::string> staged;
        auto digit = [](char c) { return c >= '0' && c <= '9'; };
        for (const std::string& name : temp.TempFiles())
            if (name.size() == 12 && name.ends_with(".ovk") && std::all_of(name.begin(), name.begin() + 8, digit))
                staged.push_back(name);
        return staged;
    }
};

} // namespace

TEST_F(ProjectSaverTest, LocalSaveMergesTheHistoryAndReadsBack)
{
    const std::string name = ProjectName("drawing.ovk");
    WriteFileBytes(name, "earlier project");
    ASSERT_TRUE(doc->Modified);
    ASSERT_EQ(doc->StateCount(), 2);
    const int64_t strokes = doc->StrokeCount();

    SaveProjectFile(*doc, name, Local, temp.Manager());
    EXPECT_FALSE(doc->Modified);
    EXPECT_EQ(doc->StateCount(), 1);
    EXPECT_TRUE(StagedProjects().empty());

    OtherViews views;
    TFileStream in(name, TFileStream::Mode::OpenRead);
    auto read = TDualImage::CreateFromStream(in, views.sourceView, views.destView, 1.0f);
    EXPECT_TRUE(SameBitmaps(views.dest, dest));
    EXPECT_TRUE(SameBitmaps(views.source, source));
    EXPECT_EQ(read->StrokeCount(), strokes);
    EXPECT_EQ(read->StateCount(), 1);
}

TEST_F(ProjectSaverTest, ANetworkSaveIsStagedInTmpAndCopiedOver)
{
    const std::string name = ProjectName("drawing.ovk");
    std::vector<std::string> asked;
    SaveProjectFile(
        *doc, name,
        [&](const std::string& n) {
            asked.push_back(n);
            return true;
        },
        temp.Manager());
    EXPECT_EQ(asked, std::vector<std::string>{name});
    EXPECT_FALSE(doc->Modified);
    const auto staged = StagedProjects();
    ASSERT_EQ(staged.size(), 1u);
    // The staged file stays, listed for the manager to remove.
    const std::string stagedName = temp.Folder() + "tmp/" + staged[0];
    EXPECT_NE(std::find(temp.Manager().Files().begin(), temp.Manager().Files().end(), stagedName),
              temp.Manager().Files().end());
    const std::string project = ReadFileBytes(name);
    EXPECT_GT(project.size(), 3u * (54 + 80 * 60 * 4));
    EXPECT_EQ(ReadFileBytes(stagedName), project);
}

TEST_F(ProjectSaverTest, AWriteThatFailsPartWayKeepsTheEarlierProjectAndModified)
{
    const std::string name = ProjectName("drawing.ovk");
    WriteFileBytes(name, "earlier project");
    // Merged first, so that only the project write meets the cap.
    doc->Compact();
    std::string error;
    {
        FileSizeLimit cap(30000);
        error = ErrorOf([&] { SaveProjectFile(*doc, name, Local, temp.Manager()); });
    }
    EXPECT_EQ(error, "Could not write " + name + ": File too large");
    EXPECT_EQ(ReadFileBytes(name), "earlier project");
    EXPECT_TRUE(doc->Modified);

    // Nothing half-written lies beside the project.
    std::vector<std::string> besides;
    for (const auto& e : std::filesystem::directory_iterator(temp.Folder()))
        if (e.is_regular_file() && e.path().filename() != "TempManager.log") besides.push_back(e.path().filename());
    EXPECT_EQ(besides, std::vector<std::string>{"drawing.ovk"});
}

TEST_F(ProjectSaverTest, AFolderThatIsGoneFailsLocallyAndOnTheNetworkCopy)
{
    const std::string name = ProjectName("gone/drawing.ovk");
    for (bool remote : {false, true}) {
        const std::string error =
            ErrorOf([&] { SaveProjectFile(*doc, name, [&](const std::string&) { return remote; }, temp.Manager()); });
        EXPECT_EQ(error.rfind("Could not open " + name + " for writing", 0), 0u) << error;
        EXPECT_TRUE(doc->Modified) << "remote " << remote;
    }
    // The network save got as far as its staged copy.
    EXPECT_EQ(StagedProjects().size(), 1u);
}
