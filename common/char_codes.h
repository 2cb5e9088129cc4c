// Conversions between bytes and 16-bit character codes, shared by the
// subsystems that move text in and out of char arrays.
#pragma once

#include <cstddef>

#include "host/qx.h"

namespace zq::common {

// codes[i] = bytes[i] for i < n (each byte as an unsigned code).
void widenBytes(const unsigned char *bytes, qxChar *codes, size_t n);

// codes[i] = bytes[i] read as a signed 8-bit value and widened to 16 bits
// (bytes 0x80 to 0xFF become codes 0xFF80 to 0xFFFF), for i < n: the codes
// names from the file system are given in lists of names.
void widenSignedBytes(const char *bytes, qxChar *codes, size_t n);

// Whether every one of the n codes is from 1 to 255: a single-byte
// character that is not NUL.
bool allSingleByteCodes(const qxChar *codes, size_t n);

// The converter from double to char used by the text-producing file
// operations. Warns once per file-I/O call when a value is not a character
// code. Returns null when the host cannot make the copy.
qxArray *doubleToChar(const qxArray *input);

// Arms the warning of doubleToChar (done on entry to every file-I/O builtin).
void armConversionWarning();

}  // namespace zq::common
