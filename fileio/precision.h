// Precision strings of fread and fwrite: the file-side type of each value,
// bit-field widths, block counts for skipping, and the result class.
#pragma once

#include "host/ut.h"

namespace zq::fileio {

// The file-side type codes besides the host's UT_TYPE_* (1..11).
constexpr int kTypeNoConvert = 12;

// One row of the type table: code, host class identifier of values of that
// type, bytes per value in the native format, bytes per element of the class.
struct PrecisionType {
  int code;
  int classId;
  int nativeBytes;
  int elementBytes;
};

// The row of type code (1..11), or null.
const PrecisionType *precisionType(int code);
// The type code of the first row of classId, 0 when no row has it.
int typeCodeOfClass(int classId);
// Bytes per element of classId as the type table knows it, 1 when no row has it.
int elementSizeOfClass(int classId);

// A parsed precision string.
struct PrecisionSpec {
  int inputType = 0;   // file-side type (fread); preset to the data's type by fwrite
  int outputType = 0;  // result type (fread); the file-side type named (fwrite)
  int bitCount = 0;    // N of bitN, 0 for named types
  int blockCount = 1;  // values per block before a skip
  int fileSize = 0;    // bytes per value in the format (0: native), M of bitNinM
  int format = 0;      // machine format; a 64-bit type may change it
};

// Removes every white-space character of s in place.
void stripBlanks(char *s);

// Parses s (blanks already stripped) into prec. prec.format is the call's
// machine format and prec.inputType is 0 for fread or the data's type code
// for fwrite. Returns 0 on success, nonzero when s is not a valid precision.
// May warn (intN, uintN).
int parsePrecision(const char *s, PrecisionSpec &prec);

// The precision argument of fread and fwrite: strips the blanks of text (in
// place; "uchar" when null) and parses it into prec; "Invalid precision."
// when it is not valid.
void precisionArgument(char *text, PrecisionSpec &prec);

}  // namespace zq::fileio
