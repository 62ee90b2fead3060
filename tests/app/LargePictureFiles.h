// Picture files of sizes beyond what the program takes, made cheaply: a real
// PNG of any size whose pixels are all black, and a photograph-sized JPEG.
#pragma once

#include <QImage>
#include <QPainter>
#include <QString>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace largepictures {

inline void WriteBigEndian32(std::string& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

inline void WritePngChunk(std::ofstream& out, const char* type, const std::string& data)
{
    std::string chunk;
    WriteBigEndian32(chunk, static_cast<uint32_t>(data.size()));
    chunk.append(type, 4);
    chunk += data;
    const auto* crcStart = reinterpret_cast<const Bytef*>(chunk.data() + 4);
    WriteBigEndian32(chunk, static_cast<uint32_t>(crc32(0, crcStart, static_cast<uInt>(chunk.size() - 4))));
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}

// A complete, valid PNG of width x height black pixels, one bit each. Every
// row is a filter byte and zeros, which deflate packs about a thousand to
// one (its limit): 50000 x 50000 pixels make a file of about 300 kilobytes.
inline void WriteBlackPng(const std::string& fileName, uint32_t width, uint32_t height)
{
    z_stream zs{};
    // Runs of zeros are all there is: run-length matching is as small as the
    // best compression and many times faster.
    if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, 15, 9, Z_RLE) != Z_OK)
        throw std::runtime_error("deflateInit2");
    constexpr uint32_t RowsPerCall = 1000;
    const std::vector<Bytef> rows((1 + (size_t(width) + 7) / 8) * RowsPerCall, 0);
    std::string idat;
    std::vector<Bytef> buffer(1 << 16);
    for (uint32_t done = 0; done < height;) {
        const uint32_t n = std::min(RowsPerCall, height - done);
        done += n;
        zs.next_in = const_cast<Bytef*>(rows.data());
        zs.avail_in = static_cast<uInt>(rows.size() / RowsPerCall * n);
        // Output space left over means all input was taken (and, when
        // finishing, that the stream has ended).
        do {
            zs.next_out = buffer.data();
            zs.avail_out = static_cast<uInt>(buffer.size());
            deflate(&zs, done == height ? Z_FINISH : Z_NO_FLUSH);
            idat.append(reinterpret_cast<const char*>(buffer.data()), buffer.size() - zs.avail_out);
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);

    std::ofstream out(fileName, std::ios::binary);
    out.write("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    WriteBigEndian32(header, width);
    WriteBigEndian32(header, height);
    header += std::string("\x01\x00\x00\x00\x00", 5); // 1 bit, grey, deflate, no filter set, no interlace
    WritePngChunk(out, "IHDR", header);
    WritePngChunk(out, "IDAT", idat);
    WritePngChunk(out, "IEND", "");
}

// A colour JPEG of a phone camera's size, which decodes to 32-bit pixels.
inline void WritePhotoJpeg(const std::string& fileName, int width, int height)
{
    QImage photo(width, height, QImage::Format_RGB32);
    photo.fill(QColor(90, 120, 150));
    QPainter painter(&photo);
    painter.fillRect(width / 4, height / 4, width / 2, height / 2, QColor(200, 60, 40));
    painter.end();
    photo.save(QString::fromStdString(fileName), "JPEG", 50);
}

} // namespace largepictures
