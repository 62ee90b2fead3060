#include "engine/PersistentObjectManager.h"

#include "engine/GTypes.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>

namespace {

const char* const GetObjectWhere = "TPersistentObjectManager.GetObject";

} // namespace

TPersistentObjectManager::TPersistentObjectManager(TPersistentClass itemClass, std::string programFolder)
    : itemClass_(std::move(itemClass)), programFolder_(std::move(programFolder))
{
    LoadFolder();
}

TPersistentObjectManager::~TPersistentObjectManager() = default;

void TPersistentObjectManager::LoadFolder()
{
    for (const std::string& fileName : GetFiles(programFolder_, "*." + itemClass_.FileExtension)) {
        std::unique_ptr<TPersistentObject> obj = itemClass_.Create();
        try {
            obj->LoadFromFile(fileName);
            list_.push_back(std::move(obj));
        } catch (const std::exception& e) {
            LogLoadFailure(fileName, e);
        } catch (...) {
            LogLoadFailure(fileName, EngineError("Unknown error"));
        }
    }
}

void TPersistentObjectManager::LogLoadFailure(const std::string& fileName, const std::exception& e) const
{
    // The log is a courtesy: not being able to write it must not cost the other files.
    try {
        LogException(fileName, e);
    } catch (...) {
    }
}

TPersistentObject* TPersistentObjectManager::ObjectAt(int32_t index) const
{
    return index >= 0 && index < Count() ? list_[static_cast<size_t>(index)].get() : nullptr;
}

TPersistentObject& TPersistentObjectManager::GetObject(int32_t index) const
{
    TPersistentObject* obj = ObjectAt(index);
    if (!obj) RaiseIndexError(index, GetObjectWhere);
    return *obj;
}

TPersistentObject* TPersistentObjectManager::Current() const
{
    if (itemIndex_ < 0 || list_.empty()) return nullptr;
    return &GetObject(itemIndex_);
}

TPersistentObject& TPersistentObjectManager::RequireCurrent() const
{
    TPersistentObject* obj = Current();
    if (!obj) throw EngineError("The object list is empty");
    return *obj;
}

void TPersistentObjectManager::SetItemIndex(int32_t index)
{
    if (index == itemIndex_) return;
    if (TPersistentObject* current = ObjectAt(itemIndex_); current && current->Modified() && autoSave_)
        current->Save(programFolder_);
    Fire(OnBeforeChange);
    itemIndex_ = index;
    Fire(OnChange);
}

int32_t TPersistentObjectManager::Add(std::unique_ptr<TPersistentObject> obj)
{
    list_.push_back(std::move(obj));
    itemIndex_ = Count() - 1;
    Fire(OnAdd);
    return Count() - 1;
}

void TPersistentObjectManager::InsertFirst(std::unique_ptr<TPersistentObject> obj)
{
    list_.insert(list_.begin(), std::move(obj));
    itemIndex_ = 0;
    Fire(OnAdd);
}

void TPersistentObjectManager::Remove(const TPersistentObject* obj)
{
    std::erase_if(list_, [obj](const std::unique_ptr<TPersistentObject>& p) { return p.get() == obj; });
}

bool TPersistentObjectManager::New()
{
    if (!editForm_) throw EngineError("Must assign EditForm");
    const int32_t oldIndex = itemIndex_;
    list_.push_back(itemClass_.Create());
    const TPersistentObject* created = list_.back().get();
    itemIndex_ = Count() - 1;

    bool confirmed = false;
    try {
        Fire(OnNew);
        confirmed = EditCurrent();
    } catch (...) {
        Remove(created);
        itemIndex_ = oldIndex;
        throw;
    }
    if (!confirmed) {
        Remove(created);
        itemIndex_ = oldIndex;
        return false;
    }
    Fire(OnAdd);
    return true;
}

bool TPersistentObjectManager::EditCurrent()
{
    if (!editForm_) throw EngineError("Must assign EditForm");
    TPersistentObject& obj = RequireCurrent();
    editForm_->SetCaption("Edit");
    editForm_->SetObject(&obj);
    if (editForm_->ShowModal() != mrOk) return false;
    obj.SetName(editForm_->GetObjectName());
    obj.SetModified(true);
    obj.Save(programFolder_);
    return true;
}

void TPersistentObjectManager::DeleteCurrent()
{
    TPersistentObject& obj = RequireCurrent();
    // The file goes first: an object whose file stays must stay listed too.
    obj.DeleteFile();
    Remove(&obj);
    itemIndex_ = list_.empty() ? -1 : 0;
    Fire(OnChange);
}

void TPersistentObjectManager::DuplicateCurrent(const std::string& name)
{
    TPersistentObject& original = RequireCurrent();
    TMemoryStream content;
    original.SaveToStream(content);
    content.SetPosition(0);
    std::unique_ptr<TPersistentObject> copy = original.Class().Create();
    copy->LoadFromStream(content);
    copy->SetName(name);
    copy->SetModified(false);
    Add(std::move(copy));
}

bool TPersistentObjectManager::NameExists(const std::string& name) const
{
    return std::any_of(list_.begin(), list_.end(), [&](const auto& obj) { return obj->Name() == name; });
}

std::string TPersistentObjectManager::UniqueName() const
{
    const std::string base = "new " + itemClass_.KindName + " name";
    std::string candidate = base;
    for (int counter = 1; NameExists(candidate); ++counter) candidate = base + " " + std::to_string(counter);
    return candidate;
}

TPersistentObject* TPersistentObjectManager::FindByID(int32_t id) const
{
    if (id == 0) return ObjectAt(0);
    auto it = std::find_if(list_.begin(), list_.end(), [id](const auto& obj) { return obj->ID() == id; });
    return it == list_.end() ? nullptr : it->get();
}

void TPersistentObjectManager::SelectByID(int32_t id)
{
    if (id == 0) {
        SetItemIndex(0);
        return;
    }
    for (int32_t i = 0; i < Count(); ++i)
        if (list_[static_cast<size_t>(i)]->ID() == id) {
            SetItemIndex(i);
            return;
        }
}
