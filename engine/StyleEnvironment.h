// What styles and their previews need from the application above the
// engine: the command module's updating flag, the sample picture that
// previews are drawn on, and the stroke-renderer manager. The application
// registers its own; tests register fakes. Without a registration the
// engine stands alone: never updating, the embedded sample picture, and no
// renderer manager (previews then fill polygons).
#pragma once

#include "gfx/Bitmap32.h"

#include <memory>

class TPersistentObjectManager;

class IStyleEnvironment {
public:
    virtual ~IStyleEnvironment() = default;
    // True while the command module starts or loads a picture or project:
    // style setters then leave the style's modified flag alone.
    virtual bool Updating() const = 0;
    // A new copy of the picture that style previews are drawn on.
    virtual std::unique_ptr<TBitmap32> SamplePicture() const = 0;
    // The manager of the loaded stroke renderers, or none.
    virtual TPersistentObjectManager* RendererManager() const = 0;
};

// The registered environment, or the stand-alone default.
IStyleEnvironment& StyleEnvironment();
// Registers (or with nullptr removes) the environment; not owned.
void SetStyleEnvironment(IStyleEnvironment* environment);

// The sample picture embedded in the engine (a 256 x 128 landscape).
std::unique_ptr<TBitmap32> LoadEmbeddedSamplePicture();
