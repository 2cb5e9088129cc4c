// The texts the string functions raise and warn with.
#pragma once

namespace zq::strings {

inline constexpr const char *kCellElementsNotChar = "Cell elements must be character arrays";
inline constexpr const char *kInputsNotChar = "Inputs must be character arrays";
inline constexpr const char *kStringObsolete =
    "string is obsolete and will be discontinued.\n         Use char instead";

// Comparison.
inline constexpr const char *kCountNotInteger = "Number of characters to match must be an integer";
inline constexpr const char *kCountNotWhole = "The number of characters to match must be an integer";
inline constexpr const char *kCompareSizes = "Inputs must be the same size or either one can be a scalar";
inline constexpr const char *kRowsAgainstCell =
    "The number of rows of the string matrix must\nmatch the number of elements in the cell";

// Search and replace.
inline constexpr const char *kPaddedMatrices = "Inputs cannot be padded string matrices";
inline constexpr const char *kNotRowVectors = "Inputs must be row vectors";
inline constexpr const char *kReplaceSizes = "Inputs must be the same size or any one can be a scalar";
inline constexpr const char *kPaddedCharInput = "Input character arrays cannot be padded string matrices";
inline constexpr const char *kReplaceNotText = "Inputs must be character arrays or cell arrays of strings";

}  // namespace zq::strings
