// TdmGlobalConfig: the decorative pictures the program carries inside
// itself, the background tile behind the main window's bars and panels and
// the pattern editor's panels, and the about box's splash picture. Both are
// drawn here in code and kept as 24-bit BMP files in memory; every load
// reads the whole picture again into the caller's graphic. The first object
// start-up creates; it holds no settings.
#pragma once

#include "gfx/Stream.h"

#include <QImage>

#include <cstdint>
#include <vector>

class TBitmap32;

// The artwork: a 127 x 127 tile that repeats without seams, and the
// 417 x 352 splash picture.
QImage DrawBackgroundTile();
QImage DrawSplashPicture();
// A 24-bit, bottom-up, uncompressed BMP file of an image (alpha dropped),
// followed by two bytes of padding as common BMP writers leave them.
std::vector<uint8_t> EncodeBmp24(const QImage& image);

class TdmGlobalConfig {
public:
    TdmGlobalConfig();
    ~TdmGlobalConfig();
    TdmGlobalConfig(const TdmGlobalConfig&) = delete;
    TdmGlobalConfig& operator=(const TdmGlobalConfig&) = delete;

    // Rewind the picture's stream and read it into `graphic`; a graphic
    // that cannot read it raises its reader's error.
    void LoadBackground(TBitmap32& graphic);
    void LoadBackground(QImage& graphic);
    void LoadSplash(TBitmap32& graphic);
    void LoadSplash(QImage& graphic);

    // The embedded files, as stored.
    const std::vector<uint8_t>& BackgroundBytes() const { return Background_.Bytes(); }
    const std::vector<uint8_t>& SplashBytes() const { return splashImage_.Bytes(); }

private:
    static void Read(TMemoryStream& block, TBitmap32& graphic);
    static void Read(TMemoryStream& block, QImage& graphic);

    TMemoryStream Background_;
    TMemoryStream splashImage_;
};

// The one instance, while it exists (set by its constructor).
extern TdmGlobalConfig* dmGlobalConfig;
