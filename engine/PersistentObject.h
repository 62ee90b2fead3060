// TPersistentObject: the base of every user object that lives in one file of
// the program folder (styles, patterns, stroke renderers), with the class
// information a manager needs to create objects of a kind, and the editor
// form through which a manager creates and edits them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TPersistentObject;
class TStream;

// What a manager knows about a kind of object: the extension of its files
// (without the point), the word that names new files and objects, and how
// to make an empty one.
struct TPersistentClass {
    std::string FileExtension;
    std::string KindName;
    std::function<std::unique_ptr<TPersistentObject>()> Create;
};

// The class information of kind T, which must be default-constructible.
template <class T>
TPersistentClass PersistentClassOf(std::string fileExtension, std::string kindName)
{
    return {std::move(fileExtension), std::move(kindName), [] { return std::make_unique<T>(); }};
}

class TPersistentObject {
public:
    TPersistentObject() = default;
    virtual ~TPersistentObject() = default;
    TPersistentObject(const TPersistentObject&) = delete;
    TPersistentObject& operator=(const TPersistentObject&) = delete;

    virtual const TPersistentClass& Class() const = 0;
    const std::string& GetFileExtension() const { return Class().FileExtension; }
    const std::string& GetKindName() const { return Class().KindName; }

    // The object's own content; the format is the kind's. Readers check every
    // count and length against the bytes left and raise on a short read.
    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;

    // Reads the file and takes its name; the object is not modified afterwards.
    void LoadFromFile(const std::string& fileName);
    // Writes the file (unless read-only) through a temporary file renamed over
    // it, then takes its name; the object is not modified afterwards. A failed
    // save raises, keeps the previous file and leaves the object modified.
    void SaveToFile(const std::string& fileName);
    // Saves a modified object that is not read-only; one without a file gets
    // the first free numbered name of its kind in the program folder.
    void Save(const std::string& programFolder);
    // Deletes the object's file. A missing file or an empty name is no error;
    // a file that stays raises EngineError.
    void DeleteFile();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    const std::string& FileName() const { return fileName_; }

    bool Modified() const { return modified_; }
    void SetModified(bool value) { modified_ = value; }
    // Asks before a save replaces an existing file.
    bool ConfirmOverwrite() const { return confirmOverwrite_; }
    void SetConfirmOverwrite(bool value) { confirmOverwrite_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value) { readOnly_ = value; }
    // Tells the user where the object was saved.
    bool ShowSavedMessage() const { return showSavedMessage_; }
    void SetShowSavedMessage(bool value) { showSavedMessage_ = value; }

    // The identifier by which other objects refer to this one; 0 unless the
    // kind reads one from its file.
    int32_t ID() const { return id_; }
    void SetID(int32_t value) { id_ = value; }

    // Fired when the name changes.
    std::function<void(TPersistentObject& sender)> OnChange;

private:
    bool modified_ = false;
    bool confirmOverwrite_ = false;
    bool readOnly_ = false;
    bool showSavedMessage_ = false;
    std::string name_;
    std::string fileName_;
    int32_t id_ = 0;
};

enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };

// The editor that a manager opens for New and EditCurrent. The engine defines
// it; the application implements it with a modal window and registers it.
class TFormPersistentObject {
public:
    virtual ~TFormPersistentObject() = default;
    virtual void SetCaption(const std::string& caption) = 0;
    // Loads the editor with the object to create or edit, which it edits in place.
    virtual void SetObject(TPersistentObject* obj) = 0;
    // The name to give the object after a confirmed edit.
    virtual std::string GetObjectName() = 0;
    // Shows the editor modally; mrOk confirms.
    virtual int ShowModal() = 0;
};
