#include "gray_png.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace lw {
namespace {

void Be32(QByteArray& out, uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void Chunk(QByteArray& out, const char* type, const QByteArray& data) {
    Be32(out, uint32_t(data.size()));
    const qsizetype start = out.size();
    out.append(type, 4);
    out.append(data);
    const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(out.constData() + start), uInt(out.size() - start));
    Be32(out, uint32_t(crc));
}

}  // namespace

QByteArray GrayPng(const QImage& picture) {
    if (picture.isNull()) return {};
    const bool rgb = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32;
    const QImage g = rgb || picture.format() == QImage::Format_Grayscale8 ? picture
                                                                          : picture.convertToFormat(QImage::Format_Grayscale8);
    const int w = g.width(), h = g.height();
    // Each row: filter type 0 (none), then its bytes.
    std::vector<unsigned char> raw(size_t(w + 1) * h);
    for (int y = 0; y < h; ++y) {
        unsigned char* row = raw.data() + size_t(w + 1) * y;
        row[0] = 0;
        if (!rgb) {
            std::memcpy(row + 1, g.constScanLine(y), size_t(w));
            continue;
        }
        const QRgb* line = reinterpret_cast<const QRgb*>(g.constScanLine(y));
        for (int x = 0; x < w; ++x) row[x + 1] = static_cast<unsigned char>(qGray(line[x]));
    }
    z_stream z{};
    if (deflateInit2(&z, 1, Z_DEFLATED, 15, 8, Z_RLE) != Z_OK) return {};
    QByteArray idat;
    idat.resize(qsizetype(deflateBound(&z, uLong(raw.size()))));
    z.next_in = raw.data();
    z.avail_in = uInt(raw.size());
    z.next_out = reinterpret_cast<Bytef*>(idat.data());
    z.avail_out = uInt(idat.size());
    const int rc = deflate(&z, Z_FINISH);
    idat.resize(qsizetype(z.total_out));
    deflateEnd(&z);
    if (rc != Z_STREAM_END) return {};

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    QByteArray ihdr;
    Be32(ihdr, uint32_t(w));
    Be32(ihdr, uint32_t(h));
    ihdr.append(char(8));   // bit depth
    ihdr.append(char(0));   // gray
    ihdr.append(char(0));   // deflate
    ihdr.append(char(0));   // adaptive filtering (each row says which)
    ihdr.append(char(0));   // no interlace
    Chunk(out, "IHDR", ihdr);
    Chunk(out, "IDAT", idat);
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace lw
