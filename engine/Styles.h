// TGStyle: a named set of the stroke parameters that decide how strokes are
// traced and drawn, kept one per "gst" file in the program folder, with a
// saved copy to reset to and a preview picture drawn with its own strokes.
#pragma once

#include "engine/PersistentObject.h"
#include "gfx/Bitmap32.h"

#include <cstdint>
#include <optional>

class TStream;

// The 28-byte parameter block, little-endian, the same in memory and in the
// file. The member initialisers are a new style's values.
struct TStyleParams {
    int32_t PolyStep = 12;       // path samples per outline point
    int32_t Length = 40;         // stroke length in steps
    float Gain = 12.0f;          // stroke width; also divides the stroke count
    float ScanWidth = 2.0f;      // path copies scanned for the colour
    uint8_t StopOnBorders = 0;   // 1: strokes stop on the map's edge marks
    uint8_t BorderLimit = 0;     // stored form 0..60 of the percentage
    uint8_t Alpha = 255;         // opacity of each stroke
    uint8_t SatVar = 15;         // saturation variation range
    uint8_t HueVar = 15;         // hue variation range
    uint8_t LightVar = 30;       // lightness variation range
    uint8_t Unused[2] = {0, 0};  // kept as read
    int32_t Stroke = 0;          // identifier of the stroke renderer; 0 the first

    static constexpr int64_t Size = 28;
    void Read(TStream& stream);
    void Write(TStream& stream) const;
    friend bool operator==(const TStyleParams&, const TStyleParams&) = default;
};

class TGStyle final : public TPersistentObject {
public:
    static constexpr const char* FileExtension = "gst";
    static constexpr const char* KindName = "style";
    static constexpr int32_t PreviewWidth = 235;
    static constexpr int32_t PreviewHeight = 116;
    static constexpr int PreviewQuality = 25;

    static const TPersistentClass& StyleClass();
    const TPersistentClass& Class() const override { return StyleClass(); }

    // The default parameters, not modified, preview out of date; the saved
    // copy is all zero until the first commit, load or save.
    TGStyle();

    // Name (signed 32-bit length, one byte per character), the parameter
    // block, then the preview as a JPEG to the end of the stream. A damaged
    // file raises and leaves the style as it was; so does a block with a
    // value beyond what the main window sets (not finite, negative, Length
    // above 300, Gain above 40, ScanWidth above 12), named in the message,
    // whose preview would take long to draw. A stored preview
    // that is not 235 x 116 is not decoded: it is drawn again when asked for.
    void LoadFromStream(TStream& stream) override;
    // Brings the preview up to date and writes the same layout.
    void SaveToStream(TStream& stream) override;

    int32_t GetPolyStep() const { return params_.PolyStep; }
    int32_t GetLength() const { return params_.Length; }
    float GetGain() const { return params_.Gain; }
    float GetScanWidth() const { return params_.ScanWidth; }
    uint8_t GetStopOnBorders() const { return params_.StopOnBorders; }
    // The border limit as a percentage, 100 - Round(stored / 60 * 100).
    int32_t GetBorderLimit() const;
    // The stored form 0..60 that the engine compares with feature strengths.
    uint8_t BorderLimitByte() const { return params_.BorderLimit; }
    uint8_t GetAlpha() const { return params_.Alpha; }
    uint8_t GetSatVar() const { return params_.SatVar; }
    uint8_t GetHueVar() const { return params_.HueVar; }
    uint8_t GetLightVar() const { return params_.LightVar; }
    int32_t GetStroke() const { return params_.Stroke; }

    // Each setter stores its value unchecked, flags the preview as out of
    // date and marks the style modified unless the command module is
    // updating; the same value counts as a change. Byte parameters keep the
    // low 8 bits of the integer they are given.
    void SetPolyStep(int32_t value);
    void SetLength(int32_t value);
    void SetGain(float value);
    void SetScanWidth(float value);
    // Percentage: stored = Round((100 - p) / 100 * 60).
    void SetBorderLimit(int32_t percent);
    void SetAlpha(int32_t value);
    void SetHueVar(int32_t value);
    void SetSatVar(int32_t value);
    void SetLightVar(int32_t value);
    void SetStroke(int32_t value);
    // The check box's direct write: neither modified nor a new preview.
    void WriteStopOnBorders(bool value) { params_.StopOnBorders = value ? 1 : 0; }

    const TStyleParams& Params() const { return params_; }
    // The parameters as last loaded, saved or committed.
    const TStyleParams& SavedCopy();

    // Parameters := saved copy; not modified; preview out of date.
    void Reset();
    // Saved copy := parameters; not modified; preview out of date.
    void Commit();

    // The preview, redrawn first when out of date; owned by the style.
    const TBitmap32& GetPreview();
    // Redraws the preview when it is out of date (unless UpdateLock is set).
    void UpdatePreview();
    bool PreviewDirty() const { return previewDirty_; }
    // While set, a preview request only flags the preview as out of date.
    bool UpdateLock = false;

    // The feature map of the sample picture, analysed on first use and kept
    // for the process; shared by every style's preview.
    static const TBitmap32& SampleMap();
    // Drops that map, so the next preview analyses the sample picture again.
    static void FreeSampleMap();

private:
    static constexpr TStyleParams ZeroParams()
    {
        return {.PolyStep = 0, .Length = 0, .Gain = 0, .ScanWidth = 0, .StopOnBorders = 0, .BorderLimit = 0,
                .Alpha = 0, .SatVar = 0, .HueVar = 0, .LightVar = 0, .Unused = {0, 0}, .Stroke = 0};
    }
    void Changed();
    template <class T> void Store(T& field, T value);
    void SettleSave();

    TStyleParams params_;
    TBitmap32 preview_;
    TStyleParams saved_ = ZeroParams();
    // Written by SaveToStream; becomes the saved copy once the save has
    // completed (see SettleSave).
    std::optional<TStyleParams> staged_;
    bool previewDirty_ = true;
};
