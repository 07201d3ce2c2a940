// A gray-level picture written as PNG quickly: 8-bit gray, no row filters,
// zlib's run-length strategy. Score pages are mostly white, so this is
// nearly as small as the thorough settings and many times faster.
#pragma once

#include <QByteArray>
#include <QImage>

namespace lw {

// The picture (any format; converted to 8-bit gray) as PNG bytes; empty
// when it cannot be encoded.
QByteArray GrayPng(const QImage& picture);

}  // namespace lw
