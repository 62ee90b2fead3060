#include "engine/StyleEnvironment.h"

#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <QFile>

// Resources of a static library are registered by hand, from the global
// namespace, before their first use.
static void InitEngineResources() { Q_INIT_RESOURCE(engine); }

namespace {

class TStandAloneEnvironment final : public IStyleEnvironment {
public:
    bool Updating() const override { return false; }
    std::unique_ptr<TBitmap32> SamplePicture() const override { return LoadEmbeddedSamplePicture(); }
    TPersistentObjectManager* RendererManager() const override { return nullptr; }
};

IStyleEnvironment*& Registered()
{
    static IStyleEnvironment* registered = nullptr;
    return registered;
}

} // namespace

IStyleEnvironment& StyleEnvironment()
{
    static TStandAloneEnvironment standAlone;
    IStyleEnvironment* registered = Registered();
    return registered ? *registered : standAlone;
}

void SetStyleEnvironment(IStyleEnvironment* environment) { Registered() = environment; }

std::unique_ptr<TBitmap32> LoadEmbeddedSamplePicture()
{
    static const bool initialised = (InitEngineResources(), true);
    (void)initialised;
    QFile file(QStringLiteral(":/engine/sample_picture.bmp"));
    if (!file.open(QIODevice::ReadOnly)) throw EngineError("The sample picture is missing");
    const QByteArray bytes = file.readAll();
    TMemoryStream stream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    auto picture = std::make_unique<TBitmap32>();
    picture->LoadFromStream(stream);
    return picture;
}
