#include "engine/Styles.h"

#include "engine/BusyCursor.h"
#include "engine/EffectSampler.h"
#include "engine/FeatureExtractor.h"
#include "engine/StyleEnvironment.h"
#include "engine/Utils.h"
#include "gfx/Errors.h"
#include "gfx/NumberText.h"
#include "gfx/Rounding.h"
#include "gfx/Stream.h"

#include <cmath>
#include <limits>
#include <memory>

namespace {

std::unique_ptr<TBitmap32>& SharedSampleMap()
{
    static std::unique_ptr<TBitmap32> map;
    return map;
}

// Values outside a byte keep their low 8 bits, as a stored byte always did.
uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

// The largest values the main window's gauges set. A style file is loaded
// with its preview, whose work grows with the stroke width and the length:
// at these values, with the finest poly step, a preview takes a fraction of
// a second (the longest strokes and the shortest, which come many times
// more often, cost about the same); a file holding more (a length of
// thousands, a gain of hundreds) held the start for seconds to minutes.
constexpr int32_t MaxFileLength = 300;
constexpr double MaxFileGain = 40.0;
constexpr double MaxFileScanWidth = 12.0;

void CheckFileValue(const char* name, const std::string& text, double value, double max)
{
    std::string fault;
    if (!std::isfinite(value))
        fault = "is not a number";
    else if (value < 0)
        fault = text + " is negative";
    else if (value > max)
        fault = text + " is above " + FormatGeneral(max, 10);
    if (!fault.empty()) throw EngineError(std::string("Invalid style file: ") + name + " " + fault);
}

void CheckFileValue(const char* name, int32_t value, double max)
{
    CheckFileValue(name, std::to_string(value), value, max);
}

void CheckFileValue(const char* name, float value, double max)
{
    CheckFileValue(name, FormatGeneral(value, 9), value, max);
}

// Refuses a parameter block that no editor can produce and no drawing can use.
void CheckFileParams(const TStyleParams& p)
{
    CheckFileValue("PolyStep", p.PolyStep, std::numeric_limits<int32_t>::max());
    CheckFileValue("Length", p.Length, MaxFileLength);
    CheckFileValue("Gain", p.Gain, MaxFileGain);
    CheckFileValue("ScanWidth", p.ScanWidth, MaxFileScanWidth);
}

} // namespace

// --- Parameter block ----------------------------------------------------------

void TStyleParams::Read(TStream& stream)
{
    stream.RequireBytes(Size, 1, "Invalid style file: the parameter block is incomplete");
    PolyStep = stream.ReadInt32();
    Length = stream.ReadInt32();
    Gain = stream.ReadFloat();
    ScanWidth = stream.ReadFloat();
    StopOnBorders = stream.ReadUInt8();
    BorderLimit = stream.ReadUInt8();
    Alpha = stream.ReadUInt8();
    SatVar = stream.ReadUInt8();
    HueVar = stream.ReadUInt8();
    LightVar = stream.ReadUInt8();
    Unused[0] = stream.ReadUInt8();
    Unused[1] = stream.ReadUInt8();
    Stroke = stream.ReadInt32();
}

void TStyleParams::Write(TStream& stream) const
{
    stream.WriteInt32(PolyStep);
    stream.WriteInt32(Length);
    stream.WriteFloat(Gain);
    stream.WriteFloat(ScanWidth);
    for (const uint8_t b : {StopOnBorders, BorderLimit, Alpha, SatVar, HueVar, LightVar, Unused[0], Unused[1]})
        stream.WriteUInt8(b);
    stream.WriteInt32(Stroke);
}

// --- Style --------------------------------------------------------------------

const TPersistentClass& TGStyle::StyleClass()
{
    static const TPersistentClass info = PersistentClassOf<TGStyle>(FileExtension, KindName);
    return info;
}

TGStyle::TGStyle() : preview_(PreviewWidth, PreviewHeight, clWhite32) {}

void TGStyle::LoadFromStream(TStream& stream)
{
    // Everything is read into locals first, so a damaged file changes nothing.
    const int32_t length = stream.ReadInt32();
    if (length > stream.Remaining()) throw EngineError("Invalid style file: the name is longer than the file");
    std::string name(static_cast<size_t>(std::max(length, 0)), '\0');
    stream.ReadBuffer(name.data(), static_cast<int64_t>(name.size()));
    TStyleParams params;
    params.Read(stream);
    CheckFileParams(params);
    // A stored preview of another size is not the program's own: it is
    // drawn again from the parameters rather than decoded at any size.
    TBitmap32 preview;
    const bool previewKept = LoadJPEGOfSizeFromStream(preview, stream, PreviewWidth, PreviewHeight);

    SetName(name);
    params_ = params;
    saved_ = params;
    staged_.reset();
    if (previewKept) preview_ = std::move(preview);
    previewDirty_ = !previewKept;
    SetModified(false);
}

void TGStyle::SaveToStream(TStream& stream)
{
    SettleSave();
    stream.WriteString(Name());
    params_.Write(stream);
    SaveJPEGToStream(GetPreview(), stream, PreviewQuality);
    staged_ = params_;
}

// The manager's duplicate writes a style to a stream too, and a failed file
// save has written one before it fails; neither may move the reset point. A
// save to a file clears the modified flag once the file is complete, so the
// written parameters become the saved copy only when the style reads as not
// modified at the next look.
void TGStyle::SettleSave()
{
    if (!staged_) return;
    if (!Modified()) saved_ = *staged_;
    staged_.reset();
}

int32_t TGStyle::GetBorderLimit() const { return 100 - Round(params_.BorderLimit / 60.0 * 100.0); }

void TGStyle::Changed()
{
    SettleSave();
    previewDirty_ = true;
    if (!StyleEnvironment().Updating()) SetModified(true);
}

template <class T> void TGStyle::Store(T& field, T value)
{
    field = value;
    Changed();
}

void TGStyle::SetPolyStep(int32_t value) { Store(params_.PolyStep, value); }
void TGStyle::SetLength(int32_t value) { Store(params_.Length, value); }
void TGStyle::SetGain(float value) { Store(params_.Gain, value); }
void TGStyle::SetScanWidth(float value) { Store(params_.ScanWidth, value); }
void TGStyle::SetBorderLimit(int32_t percent)
{
    Store(params_.BorderLimit, LowByte(Round((100.0 - percent) / 100.0 * 60.0)));
}
void TGStyle::SetAlpha(int32_t value) { Store(params_.Alpha, LowByte(value)); }
void TGStyle::SetHueVar(int32_t value) { Store(params_.HueVar, LowByte(value)); }
void TGStyle::SetSatVar(int32_t value) { Store(params_.SatVar, LowByte(value)); }
void TGStyle::SetLightVar(int32_t value) { Store(params_.LightVar, LowByte(value)); }
void TGStyle::SetStroke(int32_t value) { Store(params_.Stroke, value); }

const TStyleParams& TGStyle::SavedCopy()
{
    SettleSave();
    return saved_;
}

void TGStyle::Reset()
{
    SettleSave();
    params_ = saved_;
    previewDirty_ = true;
    SetModified(false);
}

void TGStyle::Commit()
{
    staged_.reset();
    saved_ = params_;
    previewDirty_ = true;
    SetModified(false);
}

const TBitmap32& TGStyle::GetPreview()
{
    UpdatePreview();
    return preview_;
}

void TGStyle::UpdatePreview()
{
    if (UpdateLock) {
        previewDirty_ = true;
        return;
    }
    if (!previewDirty_) return;
    preview_.SetSize(PreviewWidth, PreviewHeight);
    preview_.Clear(clWhite32);
    const TBitmap32& map = SampleMap();
    TEffectSampler sampler(map, preview_, *this);
    sampler.SetScale(Single(double(PreviewWidth) / map.Width()));
    sampler.Run();
    previewDirty_ = false;
}

const TBitmap32& TGStyle::SampleMap()
{
    std::unique_ptr<TBitmap32>& map = SharedSampleMap();
    if (!map) {
        // The one analysis of the process takes a moment: show the hourglass.
        const TBusyCursorScope busy;
        const std::unique_ptr<TBitmap32> picture = StyleEnvironment().SamplePicture();
        if (!picture || picture->Empty()) throw EngineError("The sample picture is empty");
        map = TFeatureExtractor::Run(*picture);
    }
    return *map;
}

void TGStyle::FreeSampleMap() { SharedSampleMap().reset(); }
