#include "CurrentFolderScope.h"
#include "engine/PersistentObjectManager.h"

#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/Dialogs.h"
#include "engine/Patterns.h"
#include "engine/Styles.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

// A small kind of user object: ID, name and one number.
class TNote : public TPersistentObject {
public:
    static const TPersistentClass& StaticClass()
    {
        static const TPersistentClass info = PersistentClassOf<TNote>("nte", "note");
        return info;
    }
    const TPersistentClass& Class() const override { return StaticClass(); }

    void LoadFromStream(TStream& stream) override
    {
        SetID(stream.ReadInt32());
        SetName(stream.ReadString());
        Value = stream.ReadInt32();
    }
    void SaveToStream(TStream& stream) override
    {
        stream.WriteInt32(ID());
        stream.WriteString(Name());
        if (FailSave) throw EngineError("write failed");
        stream.WriteInt32(Value);
    }

    int32_t Value = 0;
    bool FailSave = false;
};

std::string NoteBytes(int32_t id, const std::string& name, int32_t value)
{
    TMemoryStream stream;
    stream.WriteInt32(id);
    stream.WriteString(name);
    stream.WriteInt32(value);
    return {stream.Bytes().begin(), stream.Bytes().end()};
}

std::string ReadAll(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FakeEditor : public TFormPersistentObject {
public:
    void SetCaption(const std::string& caption) override { Caption = caption; }
    void SetObject(TPersistentObject* obj) override { Edited = obj; }
    std::string GetObjectName() override { return NameToGive; }
    int ShowModal() override
    {
        if (Throw) throw EngineError("editor broke");
        if (Edit) Edit(*Edited);
        return Result;
    }

    std::string Caption;
    TPersistentObject* Edited = nullptr;
    std::string NameToGive = "edited";
    int Result = mrOk;
    bool Throw = false;
    std::function<void(TPersistentObject&)> Edit;
};

class ManagerTest : public ::testing::Test {
protected:
    QTemporaryDir scratch;
    // The load log lies in the current directory.
    TCurrentFolderScope cwd{Dir()};
    std::vector<std::string> events;

    std::string Dir() const { return scratch.path().toStdString() + "/"; }
    void WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Dir() + name, std::ios::binary) << bytes;
    }
    void WriteNotes(int count) const
    {
        for (int i = 0; i < count; ++i) {
            const std::string number = std::to_string(i);
            WriteFile("n" + number + ".nte", NoteBytes(10 + i, "note " + number, i));
        }
    }
    std::unique_ptr<TPersistentObjectManager> Load()
    {
        auto manager = std::make_unique<TPersistentObjectManager>(TNote::StaticClass(), Dir());
        auto record = [this](const char* what) {
            return [this, what](TPersistentObjectManager& m) {
                events.push_back(std::string(what) + ":" + (m.Current() ? m.Current()->Name() : "-"));
            };
        };
        manager->OnChange = record("change");
        manager->OnBeforeChange = record("before");
        manager->OnAdd = record("add");
        manager->OnNew = record("new");
        return manager;
    }
    static TNote& Note(TPersistentObjectManager& m, int i) { return static_cast<TNote&>(m.GetObject(i)); }
};

// --- Loading ----------------------------------------------------------------------

TEST_F(ManagerTest, EmptyFolderGivesAnEmptyManagerWithoutCurrentObject)
{
    auto m = Load();
    EXPECT_EQ(m->Count(), 0);
    EXPECT_EQ(m->ItemIndex(), 0);
    EXPECT_EQ(m->Current(), nullptr);
    EXPECT_EQ(m->FindByID(0), nullptr);
}

TEST_F(ManagerTest, LoadsFilesOfItsKindInNameOrder)
{
    WriteFile("b.nte", NoteBytes(2, "bee", 20));
    WriteFile("a.NTE", NoteBytes(1, "ay", 10));
    WriteFile("c.txt", NoteBytes(3, "other", 30));
    auto m = Load();
    ASSERT_EQ(m->Count(), 2);
    EXPECT_EQ(Note(*m, 0).Name(), "ay");
    EXPECT_EQ(Note(*m, 0).Value, 10);
    EXPECT_EQ(Note(*m, 0).FileName(), Dir() + "a.NTE");
    EXPECT_FALSE(Note(*m, 0).Modified());
    EXPECT_EQ(Note(*m, 1).ID(), 2);
    EXPECT_EQ(m->CurrentAs<TNote>(), &Note(*m, 0));
    EXPECT_TRUE(events.empty());
}

TEST_F(ManagerTest, BadFilesAreLoggedAndSkippedButNeverDeleted)
{
    WriteFile("a.nte", NoteBytes(1, "good", 1));
    std::string truncated = NoteBytes(2, "cut", 2);
    truncated.pop_back();
    WriteFile("b.nte", truncated);
    WriteFile("c.nte", NoteBytes(3, "x", 3).substr(0, 4) + std::string("\xff\xff\xff\x7f", 4));  // huge name length
    fs::create_directory(Dir() + "d.nte");
    auto m = Load();
    ASSERT_EQ(m->Count(), 1);
    EXPECT_EQ(Note(*m, 0).Name(), "good");

    // One line per bad file, in the current folder: the file's full path,
    // then the reader's message as it stands.
    EXPECT_EQ(ReadAll(Dir() + LogFileName),
              Dir() + "b.nte: Stream read error\r\n" +
              Dir() + "c.nte: Invalid string length in stream\r\n" +
              Dir() + "d.nte: Cannot open file \"" + Dir() + "d.nte\". Not a regular file\r\n");
    EXPECT_TRUE(fs::exists(Dir() + "b.nte"));
}

// With many style, pattern and brush files beside the program, the log must
// say which one was skipped.
TEST_F(ManagerTest, DamagedStylePatternAndBrushFilesAreLoggedByFullPath)
{
    struct TCase {
        const TPersistentClass* Kind;
        std::string File, Bytes, Message;
    };
    const TCase cases[] = {
        {&TGStyle::StyleClass(), "damaged.gst", std::string("\x64\0\0\0ab", 6),
         "Invalid style file: the name is longer than the file"},
        {&TPattern::StaticClass(), "damaged.stk", std::string("\x03\0\0\0\x01\0", 6), "Pattern file is truncated"},
        {&TBitmapBrushStrokeRenderer::BrushClass(), "damaged.srd", "bad", "Invalid brush file"},
    };
    std::string expected;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.File);
        WriteFile(c.File, c.Bytes);
        EXPECT_EQ(TPersistentObjectManager(*c.Kind, Dir()).Count(), 0);
        expected += Dir() + c.File + ": " + c.Message + "\r\n";
        EXPECT_EQ(ReadAll(Dir() + LogFileName), expected);
    }
}

TEST_F(ManagerTest, LogThatCannotBeWrittenDoesNotStopTheLoading)
{
    fs::create_directory(Dir() + LogFileName);
    WriteFile("a.nte", "bad");
    WriteNotes(2);
    EXPECT_EQ(Load()->Count(), 2);
}

// --- Selecting ----------------------------------------------------------------------

TEST_F(ManagerTest, SelectingFiresBeforeAndAfterButNotForTheSameIndex)
{
    WriteNotes(3);
    auto m = Load();
    m->SetItemIndex(0);
    EXPECT_TRUE(events.empty());
    m->SetItemIndex(2);
    EXPECT_EQ(events, (std::vector<std::string>{"before:note 0", "change:note 2"}));
}

TEST_F(ManagerTest, AutoSaveWritesAModifiedCurrentObjectBeforeMoving)
{
    WriteNotes(2);
    auto m = Load();
    Note(*m, 0).Value = 99;
    Note(*m, 0).SetModified(true);
    m->SetItemIndex(1);
    EXPECT_EQ(ReadAll(Dir() + "n0.nte"), NoteBytes(10, "note 0", 0));  // AutoSave is off by default

    m->SetAutoSave(true);
    m->SetItemIndex(0);
    Note(*m, 0).SetModified(true);
    m->SetItemIndex(1);
    EXPECT_EQ(ReadAll(Dir() + "n0.nte"), NoteBytes(10, "note 0", 99));
    EXPECT_FALSE(Note(*m, 0).Modified());
}

TEST_F(ManagerTest, FindAndSelectByIdentifier)
{
    WriteNotes(3);
    WriteFile("n3.nte", NoteBytes(11, "twin", 0));
    auto m = Load();
    EXPECT_EQ(m->FindByID(0), &m->GetObject(0));  // no object has ID 0
    EXPECT_EQ(m->FindByID(11), &m->GetObject(1));  // the earlier of two
    EXPECT_EQ(m->FindByID(42), nullptr);
    m->SelectByID(12);
    EXPECT_EQ(m->ItemIndex(), 2);
    m->SelectByID(42);
    EXPECT_EQ(m->ItemIndex(), 2);
    m->SelectByID(0);
    EXPECT_EQ(m->ItemIndex(), 0);
}

TEST_F(ManagerTest, IndexOutsideTheListRaisesTheIndexError)
{
    WriteNotes(1);
    auto m = Load();
    try {
        m->GetObject(5);
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "TPersistentObjectManager.GetObject: Index out of bounds(5)");
    }
    m->OnBeforeChange = nullptr;  // the recorder reads Current, which is the point here
    m->OnChange = nullptr;
    m->SetItemIndex(3);
    EXPECT_THROW(m->Current(), EngineError);
    m->SetItemIndex(-1);
    EXPECT_EQ(m->Current(), nullptr);
}

// --- Deleting -----------------------------------------------------------------------

TEST_F(ManagerTest, DeletingMakesTheFirstObjectCurrentAndRemovesTheFile)
{
    WriteNotes(5);
    auto m = Load();
    m->SetItemIndex(2);
    events.clear();
    m->DeleteCurrent();
    EXPECT_EQ(m->Count(), 4);
    EXPECT_EQ(m->ItemIndex(), 0);
    EXPECT_FALSE(fs::exists(Dir() + "n2.nte"));
    EXPECT_EQ(events, (std::vector<std::string>{"change:note 0"}));
}

TEST_F(ManagerTest, DeletingTheLastObjectLeavesNoCurrentAndThenRaises)
{
    WriteNotes(1);
    auto m = Load();
    fs::remove(Dir() + "n0.nte");  // a missing file is no error
    m->DeleteCurrent();
    EXPECT_EQ(m->ItemIndex(), -1);
    EXPECT_EQ(m->Count(), 0);
    try {
        m->DeleteCurrent();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "The object list is empty");
    }
}

TEST_F(ManagerTest, EmptyManagerHasNothingToDeleteEditOrDuplicate)
{
    auto m = Load();
    FakeEditor editor;
    m->SetEditForm(&editor);
    EXPECT_THROW(m->DeleteCurrent(), EngineError);
    EXPECT_THROW(m->EditCurrent(), EngineError);
    EXPECT_THROW(m->DuplicateCurrent("copy"), EngineError);
    EXPECT_EQ(editor.Edited, nullptr);
}

TEST_F(ManagerTest, ObjectWhoseFileCannotBeDeletedStaysListed)
{
    WriteNotes(2);
    auto m = Load();
    // A folder in the file's place cannot be unlinked, not even by root.
    fs::remove(Dir() + "n0.nte");
    fs::create_directory(Dir() + "n0.nte");
    events.clear();
    EXPECT_THROW(m->DeleteCurrent(), EngineError);
    EXPECT_EQ(m->Count(), 2);
    EXPECT_TRUE(events.empty());
}

// --- Creating and editing -------------------------------------------------------------

TEST_F(ManagerTest, NewConfirmedIsNamedSavedUnderTheNextNumberAndAdded)
{
    WriteNotes(1);
    WriteFile("note0000.nte", NoteBytes(0, "taken", 0));
    auto m = Load();
    FakeEditor editor;
    editor.NameToGive = "fresh";
    editor.Edit = [](TPersistentObject& obj) { static_cast<TNote&>(obj).Value = 7; };
    m->SetEditForm(&editor);

    EXPECT_TRUE(m->New());
    EXPECT_EQ(events, (std::vector<std::string>{"new:", "add:fresh"}));
    EXPECT_EQ(editor.Caption, "Edit");
    ASSERT_EQ(m->Count(), 3);
    EXPECT_EQ(m->ItemIndex(), 2);
    TNote& note = *m->CurrentAs<TNote>();
    EXPECT_EQ(note.FileName(), Dir() + "note1000.nte");
    EXPECT_FALSE(note.Modified());
    EXPECT_EQ(ReadAll(Dir() + "note1000.nte"), NoteBytes(0, "fresh", 7));
}

TEST_F(ManagerTest, NewCancelledLeavesEverythingAndFiresOnlyOnNew)
{
    WriteNotes(2);
    auto m = Load();
    m->SetItemIndex(1);
    events.clear();
    FakeEditor editor;
    editor.Result = mrCancel;
    m->SetEditForm(&editor);
    EXPECT_FALSE(m->New());
    EXPECT_EQ(events, (std::vector<std::string>{"new:"}));
    EXPECT_EQ(m->Count(), 2);
    EXPECT_EQ(m->ItemIndex(), 1);
    EXPECT_EQ(GetFiles(Dir(), "*.*").size(), 2u);
}

TEST_F(ManagerTest, NewWithoutEditorOrWithAFailingOneLeavesEverything)
{
    WriteNotes(2);
    auto m = Load();
    try {
        m->New();
        FAIL();
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Must assign EditForm");
    }
    EXPECT_TRUE(events.empty());

    FakeEditor editor;
    editor.Throw = true;
    m->SetEditForm(&editor);
    EXPECT_THROW(m->New(), EngineError);
    EXPECT_EQ(m->Count(), 2);
    EXPECT_EQ(m->ItemIndex(), 0);

    editor.Throw = false;
    editor.Edit = [](TPersistentObject& obj) { static_cast<TNote&>(obj).FailSave = true; };
    EXPECT_THROW(m->New(), EngineError);
    EXPECT_EQ(m->Count(), 2);
    EXPECT_EQ(m->ItemIndex(), 0);
    EXPECT_EQ(GetFiles(Dir(), "*.*").size(), 2u);  // no temporary file left behind
}

TEST_F(ManagerTest, EditCurrentRewritesTheObjectsOwnFile)
{
    WriteNotes(2);
    auto m = Load();
    m->SetItemIndex(1);
    FakeEditor editor;
    editor.NameToGive = "renamed";
    m->SetEditForm(&editor);
    EXPECT_TRUE(m->EditCurrent());
    EXPECT_EQ(editor.Edited, &m->GetObject(1));
    EXPECT_EQ(ReadAll(Dir() + "n1.nte"), NoteBytes(11, "renamed", 1));
    EXPECT_EQ(GetFiles(Dir(), "*.nte").size(), 2u);

    editor.Result = mrCancel;
    EXPECT_FALSE(m->EditCurrent());
    EXPECT_THROW(TPersistentObjectManager(TNote::StaticClass(), Dir()).EditCurrent(), EngineError);
}

TEST_F(ManagerTest, DuplicateIsACurrentUnsavedCopyUnderTheNewName)
{
    WriteNotes(2);
    auto m = Load();
    m->SetItemIndex(1);
    events.clear();
    m->DuplicateCurrent("copy");
    ASSERT_EQ(m->Count(), 3);
    EXPECT_EQ(m->ItemIndex(), 2);
    EXPECT_EQ(events, (std::vector<std::string>{"add:copy"}));
    TNote& copy = *m->CurrentAs<TNote>();
    EXPECT_EQ(copy.Value, 1);
    EXPECT_EQ(copy.ID(), 11);
    EXPECT_TRUE(copy.FileName().empty());
    EXPECT_FALSE(copy.Modified());
    EXPECT_EQ(GetFiles(Dir(), "*.*").size(), 2u);
}

TEST_F(ManagerTest, UniqueNameCountsPastTheNamesInUse)
{
    auto m = Load();
    EXPECT_EQ(m->UniqueName(), "new note name");
    auto a = std::make_unique<TNote>();
    a->SetName("new note name");
    m->Add(std::move(a));
    auto b = std::make_unique<TNote>();
    b->SetName("new note name 1");
    m->InsertFirst(std::move(b));
    EXPECT_EQ(m->ItemIndex(), 0);
    EXPECT_EQ(m->UniqueName(), "new note name 2");
    EXPECT_FALSE(m->NameExists("New note name"));
}

// --- Saving one object ----------------------------------------------------------------

class SaveTest : public ManagerTest {};

TEST_F(SaveTest, NewModifiedObjectTakesANumberedNameAndKeepsIt)
{
    TNote note;
    note.Save(Dir());
    EXPECT_TRUE(note.FileName().empty());  // not modified: nothing to save
    note.SetModified(true);
    note.Save(Dir());
    EXPECT_EQ(note.FileName(), Dir() + "note0000.nte");
    note.Value = 5;
    note.SetModified(true);
    note.Save(Dir());
    EXPECT_EQ(note.FileName(), Dir() + "note0000.nte");
    EXPECT_EQ(ReadAll(Dir() + "note0000.nte"), NoteBytes(0, "", 5));

    TNote loaded;
    loaded.LoadFromFile(note.FileName());
    EXPECT_EQ(loaded.Value, 5);
}

TEST_F(SaveTest, ReadOnlyObjectsAreNeverWritten)
{
    TNote note;
    note.SetReadOnly(true);
    note.SetModified(true);
    note.Save(Dir());
    note.SaveToFile(Dir() + "x.nte");
    EXPECT_TRUE(GetFiles(Dir(), "*.*").empty());
}

TEST_F(SaveTest, FailedSaveKeepsThePreviousFileAndTheModifiedFlag)
{
    WriteFile("keep.nte", NoteBytes(1, "old", 1));
    TNote note;
    note.LoadFromFile(Dir() + "keep.nte");
    note.FailSave = true;
    note.SetModified(true);
    EXPECT_THROW(note.Save(Dir()), EngineError);
    EXPECT_TRUE(note.Modified());
    EXPECT_EQ(ReadAll(Dir() + "keep.nte"), NoteBytes(1, "old", 1));
    EXPECT_EQ(GetFiles(Dir(), "*.*").size(), 1u);
}

TEST_F(SaveTest, NameChangesAreAnnouncedAndDeleteFileToleratesMissingFiles)
{
    TNote note;
    int changes = 0;
    note.OnChange = [&](TPersistentObject&) { ++changes; };
    note.SetName("a");
    note.SetName("a");
    EXPECT_EQ(changes, 2);
    note.DeleteFile();  // no file name yet
    EXPECT_THROW(note.LoadFromFile(Dir() + "missing.nte"), EngineError);
    note.DeleteFile();  // named now, but the file does not exist
}

class AnsweringDialogs : public IDialogs {
public:
    void ShowMessage(const std::string&, const std::string& text, TMessageKind) override { Messages.push_back(text); }
    TAnswer Ask(const std::string&, const std::string&, bool) override
    {
        ++Questions;
        return Answer;
    }
    TAnswer Answer = TAnswer::Yes;
    int Questions = 0;
    std::vector<std::string> Messages;
};

TEST_F(SaveTest, OverwritingAsksWhenConfirmationIsWanted)
{
    WriteFile("a.nte", NoteBytes(1, "old", 1));
    TNote note;
    note.SetConfirmOverwrite(true);
    note.SetModified(true);
    note.SaveToFile(Dir() + "a.nte");  // nobody to ask: the safe answer keeps the file
    EXPECT_EQ(ReadAll(Dir() + "a.nte"), NoteBytes(1, "old", 1));
    EXPECT_TRUE(note.Modified());

    AnsweringDialogs dialogs;
    SetDialogs(&dialogs);
    note.SetShowSavedMessage(true);
    note.SaveToFile(Dir() + "a.nte");
    SetDialogs(nullptr);
    EXPECT_EQ(dialogs.Questions, 1);
    EXPECT_EQ(dialogs.Messages.size(), 1u);
    EXPECT_EQ(ReadAll(Dir() + "a.nte"), NoteBytes(0, "", 0));
}

TEST(DialogsDefault, AnswersWhatChangesNothing)
{
    EXPECT_EQ(Dialogs().Ask("Confirm", "Delete?", false), TAnswer::No);
    EXPECT_EQ(Dialogs().Ask("Confirm", "Save before close?", true), TAnswer::Cancel);
}

} // namespace
