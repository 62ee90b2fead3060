// TPersistentObjectManager: every object of one kind, loaded from the
// program folder, with the current object; creates, edits (through the
// registered editor form), duplicates and deletes objects and reports
// changes through events.
#pragma once

#include "engine/PersistentObject.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TPersistentObjectManager {
public:
    using TNotifyEvent = std::function<void(TPersistentObjectManager& sender)>;

    // Loads every file of the kind in the program folder (which ends with
    // "/"), in name order. A file that fails to load (anything but a plain
    // file included) is skipped and logged as "<path>: <message>" in the
    // current folder's "ocra.log"; a log that cannot be written is ignored.
    TPersistentObjectManager(TPersistentClass itemClass, std::string programFolder);
    ~TPersistentObjectManager();
    TPersistentObjectManager(const TPersistentObjectManager&) = delete;
    TPersistentObjectManager& operator=(const TPersistentObjectManager&) = delete;

    const TPersistentClass& ItemClass() const { return itemClass_; }
    const std::string& ProgramFolder() const { return programFolder_; }

    int32_t Count() const { return static_cast<int32_t>(list_.size()); }
    // Raises the index error for an index outside the list.
    TPersistentObject& GetObject(int32_t index) const;
    // The object at ItemIndex; none when ItemIndex < 0 or the list is empty.
    // An ItemIndex beyond a non-empty list raises the index error.
    TPersistentObject* Current() const;
    template <class T>
    T* CurrentAs() const { return dynamic_cast<T*>(Current()); }

    int32_t ItemIndex() const { return itemIndex_; }
    // Saves a modified current object first when AutoSave is set, then fires
    // OnBeforeChange, moves, and fires OnChange; nothing when Index is current.
    void SetItemIndex(int32_t index);

    // Appends Obj and makes it current without the change events; fires OnAdd.
    int32_t Add(std::unique_ptr<TPersistentObject> obj);
    // Puts Obj first and makes it current without the change events; fires OnAdd.
    void InsertFirst(std::unique_ptr<TPersistentObject> obj);

    // Creates an object, lets OnNew prepare it and opens the editor. On OK
    // the object is named, saved and announced by OnAdd. Cancelled or failed
    // (no editor, an editor or save error), it is dropped and the list and
    // current object stay as they were; errors are raised after that.
    bool New();
    // Opens the editor on the current object; on OK names, marks and saves it.
    // The editor must not keep the object once it is closed: a new object
    // whose editing was cancelled is freed.
    bool EditCurrent();
    // Deletes the current object and its file; the first object becomes current.
    void DeleteCurrent();
    // Adds a copy of the current object under Name, not saved, and makes it current.
    void DuplicateCurrent(const std::string& name);

    bool NameExists(const std::string& name) const;
    // "new <kind> name", then "new <kind> name 1", "... 2": the first one not in use.
    std::string UniqueName() const;
    // ID 0 gives the first object; otherwise the first with that ID, or none.
    TPersistentObject* FindByID(int32_t id) const;
    // ID 0 selects the first object; otherwise the first with that ID, if any.
    void SelectByID(int32_t id);

    TFormPersistentObject* EditForm() const { return editForm_; }
    void SetEditForm(TFormPersistentObject* form) { editForm_ = form; }
    bool AutoSave() const { return autoSave_; }
    void SetAutoSave(bool value) { autoSave_ = value; }

    TNotifyEvent OnChange;        // the current object or the list changed
    TNotifyEvent OnBeforeChange;  // the current object is about to change
    TNotifyEvent OnAdd;           // an object was added
    TNotifyEvent OnNew;           // a new object was made and is about to be edited

private:
    void LoadFolder();
    void LogLoadFailure(const std::string& fileName, const std::exception& e) const;
    TPersistentObject* ObjectAt(int32_t index) const;
    TPersistentObject& RequireCurrent() const;
    void Remove(const TPersistentObject* obj);
    void Fire(const TNotifyEvent& event) { if (event) event(*this); }

    TPersistentClass itemClass_;
    std::string programFolder_;
    int32_t itemIndex_ = 0;
    std::vector<std::unique_ptr<TPersistentObject>> list_;
    TFormPersistentObject* editForm_ = nullptr;
    bool autoSave_ = false;
};
