// Pictures in (files, clipboard), results out (JPEG, BMP, TIFF, another
// size, clipboard, PostScript), and projects in and out.
#include "app/domain/Domain.h"

#include "app/domain/BitmapMemory.h"
#include "app/domain/PictureReader.h"
#include "app/domain/ProjectSaver.h"
#include "app/domain/ResultImage.h"
#include "app/tools/ToolManager.h"
#include "app/ui/FailureMessage.h"
#include "app/ui/IMainWindow.h"
#include "app/ui/IUi.h"
#include "engine/BusyCursor.h"
#include "engine/DualImage.h"
#include "engine/TempManager.h"
#include "gfx/Errors.h"
#include "gfx/ImageView.h"
#include "gfx/Stream.h"

#include <new>
#include <stdexcept>

void TDomain::ReadPicture(const std::string& fileName, bool fromClipboard, TBitmap32& target)
{
    ReportingErrors(Boxes(), "Error loading file", [&] {
        if (!fromClipboard)
            ReadPictureFile(fileName, target);
        else if (!ui_ || !ui_->ClipboardBitmap(target))
            target = TBitmap32();
    });
}

// Open asks to save first through Close; cancelling that question ends it.
void TDomain::OpenPicture()
{
    CloseDocument();
    if (document_ || !ui_) return;
    const auto fileName = ui_->OpenPictureFileName();
    if (!fileName) return;
    LoadImage(*fileName, false);
    if (mainWindow_) mainWindow_->SelectFirstStyle();
}

void TDomain::SaveImage(const TBitmap32& bitmap, double dotsPerInch)
{
    if (!ui_) return;
    const auto fileName = ui_->SaveImageFileName();
    if (!fileName) return;
    TBusyCursorScope busy;
    // An extension the program does not write is refused with the supported
    // ones. A result image keeps no strokes, so saving it (or failing to)
    // leaves the drawing as unsaved as it was: only a project save marks it saved.
    ReportingErrors(Boxes(), "Error saving image", [&] { SaveResultImage(bitmap, *fileName, dotsPerInch); });
}

void TDomain::RenderAtSize()
{
    if (!document_ || !ui_) return;
    const TBitmap32& dest = document_->Destination();
    const auto answer = ui_->ImageSize(dest.Width(), dest.Height(), 200.0);
    if (!answer) return;
    if (answer->Width < 1 || answer->Height < 1) {
        Boxes().ShowMessage("Error", "The width and the height must be at least 1 pixel", TMessageKind::Error);
        return;
    }
    // Counted before the bitmap is made: the picture and what saving it takes
    // stay within the bound, or the system could kill the program and the
    // drawing would be lost with it.
    if (!ResultFitsInMemory(answer->Width, answer->Height)) {
        Boxes().ShowMessage("Error", TooLargePictureText(answer->Width, answer->Height), TMessageKind::Error);
        return;
    }
    TBitmap32 target;
    ReportingErrors(Boxes(), "Error", [&] { target.SetSize(answer->Width, answer->Height); });
    const float scale = static_cast<float>(static_cast<double>(answer->Width) / dest.Width());
    target.Clear(clWhite32);
    ReportingErrors(Boxes(), "Error saving image", [&] { document_->RenderAll(target, scale); });
    SaveImage(target, answer->DotsPerInch);
}

void TDomain::CopyResultToClipboard()
{
    if (document_ && ui_) ui_->SetClipboardBitmap(destPicture_);
}

void TDomain::ExportPostScript()
{
    if (!document_ || !ui_) return;
    const auto fileName = ui_->SavePostScriptFileName();
    if (!fileName) return;
    TBusyCursorScope busy;
    ReportingErrors(Boxes(), "Error saving file", [&] { document_->ExportPostScript(*fileName); });
    Boxes().ShowMessage("Ocrastell", "The file was succesfully exported as a PostScript file:\r\n" + *fileName,
                        TMessageKind::Information);
}

// --- Projects ------------------------------------------------------------------

void TDomain::OpenProject()
{
    if (!CanClose() || !ui_) return;
    const auto fileName = ui_->OpenProjectFileName();
    if (!fileName) return;
    ReportingErrors(Boxes(), "Error loading file", [&] { LoadProject(*fileName); });
}

// The new document is read whole before the open one is dropped, so a
// project that cannot be read leaves the open document as it was.
void TDomain::LoadProject(const std::string& fileName)
{
    TUpdatingScope updating(*this);
    if (!imgSrc_ || !imgDst_) throw EngineError("The command module has no views");
    if (mainWindow_) mainWindow_->HideNavigator();
    TBusyCursorScope busy;
    std::unique_ptr<TDualImage> loaded;
    {
        TFileStream file(fileName, TFileStream::Mode::OpenRead);
        // The reader speaks of the part it choked on (a bitmap, a stroke
        // list); the user needs to hear which file it was and what it is.
        // Reading also writes the stroke lists into the temporary files: a
        // failure of another file than the project (tmp/ gone, full or not
        // writable) says nothing about the project, which must not be called
        // unreadable, or a user might throw a sound file away.
        const std::string opening = "Cannot open project \"" + fileName + "\": ";
        try {
            loaded = TDualImage::CreateFromStream(file, *imgSrc_, *imgDst_, 1.0f);
        } catch (const EngineError& e) {
            const auto* fileError = dynamic_cast<const EFileStreamError*>(&e);
            if (fileError && fileError->FileName() != file.FileName()) throw EngineError(opening + e.what());
            throw EngineError(opening + "it is not a readable project file (" + e.what() + ")");
        }
    }
    toolManager_.reset();
    document_ = std::move(loaded);
    SetViewLook();
    imgSrc_->Changed();
    imgDst_->Changed();
    document_->FileName = fileName;
    AttachDocument();
    if (document_->NeedsRender()) document_->Rerender();
    document_->Modified = false;
}

void TDomain::SaveProject()
{
    if (!document_) return;
    if (document_->FileName.empty()) {
        SaveProjectAs();
        return;
    }
    SaveProjectTo(document_->FileName);
}

void TDomain::SaveProjectAs()
{
    if (!document_ || !ui_) return;
    const auto fileName = ui_->SaveProjectFileName();
    if (!fileName) return;
    SaveProjectTo(*fileName);
    // Only now: after a failed save, the project save keeps its old target.
    document_->FileName = *fileName;
}

void TDomain::SaveProjectTo(const std::string& fileName)
{
    TBusyCursorScope busy;
    ReportingErrors(Boxes(), "Error saving project",
                    [&] { SaveProjectFile(*document_, fileName, IsRemoteDrive, *tempManager_); });
}
