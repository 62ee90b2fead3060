// Reading the source picture: from a file of any format the program knows, and
// the conversions between the result or source bitmap and the clipboard's image.
#pragma once

#include <string>

class QImage;
class TBitmap32;

// A 24- or 32-bit BMP file (one that starts with "BM") is read by our own BMP
// reader, which keeps a 32-bit alpha byte; BMPs of other depths and every
// other file go through Qt's image readers, TIFF included. A picture of more
// pixels than a bitmap read from a file may have, or than the machine can
// hold, is refused with its size before it is decoded. Raises EngineError
// with the reader's message; `target` keeps its size and pixels on failure,
// and its drawing settings and change handler in every case.
void ReadPictureFile(const std::string& fileName, TBitmap32& target);

// The bitmap as an independent opaque image, for the clipboard (bitmaps there
// carry no alpha; the alpha byte here is data, not coverage).
QImage BitmapToImage(const TBitmap32& bitmap);
// The clipboard's image into `target` (straight ARGB, as a picture file).
// A null image raises EngineError and leaves `target` as it was.
void ImageToBitmap(const QImage& image, TBitmap32& target);
