// Writing the open document to its project file, the save-project command's
// file work: the history merged into one step, the stream written so that the
// previous project survives any failure, network drives served through a local
// temporary file.
#pragma once

#include <functional>
#include <string>

class TDualImage;
class TTempManager;

// Compacts the document, then writes its project stream. When isRemoteDrive
// answers true for fileName, the stream goes to a new temporary ".ovk" file of
// `temps` first, which is then copied over the project (the temporary file
// stays for the manager to remove). Every write goes through a temporary file
// beside its target that replaces it only when complete, so a failure keeps
// the previous project. The document's Modified flag is cleared only when the
// whole save succeeded. Raises EngineError with the reason otherwise.
void SaveProjectFile(TDualImage& document, const std::string& fileName,
                     const std::function<bool(const std::string&)>& isRemoteDrive, TTempManager& temps);
