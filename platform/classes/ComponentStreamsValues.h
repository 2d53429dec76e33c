#pragma once
// The 80-bit extended float of component streams (10 bytes, little-endian), shared by the
// reader, the writer and the text conversion.

#include <cmath>
#include <cstdint>
#include <limits>

namespace kvt_streams {
void EncodeExtended(long double v, uint8_t* out);
long double DecodeExtended(const uint8_t* in);
} // namespace kvt_streams
