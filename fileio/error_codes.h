// The library's own file-I/O error codes (0 and -1 to -37). Positive codes
// are errno values or stream error indicators, passed through unchanged.
#pragma once

namespace zq::fileio {

enum ErrorCode : int {
  kErrNone = 0,
  kErrUnknown = -1,
  kErrCannotOpen = -2,
  kErrNotOpenForReading = -3,
  kErrAtEndOfFile = -4,
  kErrNotOpenForWriting = -5,
  kErrNoMoreSpace = -6,
  kErrFlush = -7,
  kErrInvalidFormat = -8,
  kErrMatchingFailure = -9,
  kErrFormatTooBig = -10,
  kErrMemoryForNumber = -11,
  kErrMemoryForString = -12,
  kErrNotEnoughArguments = -13,
  kErrUnsupportedDirective = -14,
  kErrWidthNaN = -15,
  kErrWidthMinusInf = -16,
  kErrWidthInf = -17,
  kErrWidthRange = -18,
  kErrWidthEmpty = -19,
  kErrPrecisionNaN = -20,
  kErrPrecisionMinusInf = -21,
  kErrPrecisionInf = -22,
  kErrPrecisionRange = -23,
  kErrPrecisionEmpty = -24,
  kErrOffsetNaN = -25,
  kErrOffsetBeforeStart = -26,
  kErrOffsetAfterEnd = -27,
  kErrOffsetNotInteger = -28,
  kErrEmptyArgument = -29,
  kErrUngetc = -30,
  kErrCarryByteWrite = -31,
  kErrRequiresBinary = -32,
  kErrSeekZeroFailed = -33,
  kErrReadOnUpdate = -34,
  kErrSeekBackFailed = -35,
  kErrSkipOnWrite = -36,
  kErrInternal = -37,
};

// The message of a file-I/O error code ("" for 0; a fallback text for codes
// that have none).
const char *messageForCode(int code);

}  // namespace zq::fileio
