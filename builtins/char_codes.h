// Conversions between bytes and 16-bit character codes, shared by the
// subsystems that move text in and out of char arrays.
#pragma once

#include <cstddef>

#include "host/qx.h"

namespace zq::builtins {

// codes[i] = bytes[i] for i < n (each byte as an unsigned code).
void widenBytes(const unsigned char *bytes, qxChar *codes, size_t n);

// Whether every one of the n codes is from 1 to 255: a single-byte
// character that is not NUL.
bool allSingleByteCodes(const qxChar *codes, size_t n);

}  // namespace zq::builtins
