#include "engine/PersistentObject.h"

#include "engine/BufferedWriter.h"
#include "engine/Dialogs.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

void TPersistentObject::LoadFromFile(const std::string& fileName)
{
    fileName_ = fileName;
    TFileStream stream(fileName, TFileStream::Mode::OpenRead);
    LoadFromStream(stream);
    modified_ = false;
}

void TPersistentObject::SaveToFile(const std::string& fileName)
{
    if (readOnly_) return;
    std::error_code ec;
    if (confirmOverwrite_ && std::filesystem::exists(fileName, ec) &&
        Dialogs().Ask("Confirm", fileName + " already exists.\nDo you want to replace it?", false) != TAnswer::Yes)
        return;

    // The whole content is built first, so a failing writer leaves no file behind.
    TMemoryStream content;
    SaveToStream(content);
    TBufferedWriter writer(fileName, 0);
    writer.Write(content.Bytes().data(), content.Bytes().size());
    writer.Close();

    fileName_ = fileName;
    modified_ = false;
    if (showSavedMessage_) Dialogs().ShowMessage("Information", "Saved " + fileName, TMessageKind::Information);
}

void TPersistentObject::Save(const std::string& programFolder)
{
    if (readOnly_ || !modified_) return;
    const std::string target =
        fileName_.empty() ? MakeUniqueFileName(programFolder, GetKindName(), "." + GetFileExtension()) : fileName_;
    SaveToFile(target);
}

void TPersistentObject::DeleteFile()
{
    if (fileName_.empty()) return;
    if (::unlink(fileName_.c_str()) != 0 && errno != ENOENT)
        throw EngineError("Cannot delete \"" + fileName_ + "\". " + std::strerror(errno));
}

void TPersistentObject::SetName(const std::string& name)
{
    name_ = name;
    if (OnChange) OnChange(*this);
}
