// What the numeric printer knows about numbers: the table of number formats
// and, per numeric class, how to read an element and how to show its bits.
#pragma once

#include <cstddef>

namespace zq::display {

// The argument a number format takes.
enum class FieldArg : unsigned char { Long, Double, HexWords };

// One number format: the printf text and the field width the column
// chunking counts for it.
struct NumberFormat {
  const char *text;
  int width;
  FieldArg arg;
};

// Entries 0-9 serve real values, 10-16 the real parts of complex values,
// and entry k + kImagFormatOffset the imaginary part that goes with entry k.
inline constexpr int kImagFormatOffset = 7;
inline constexpr int kFirstComplexFormat = 10;
inline constexpr NumberFormat kNumberFormats[] = {
    {"%6ld", 6, FieldArg::Long},                // 0 whole numbers below 1000
    {"%12ld", 12, FieldArg::Long},              // 1 whole numbers up to 9 digits
    {"%14.2f", 14, FieldArg::Double},           // 2 bank
    {"%10.4f", 10, FieldArg::Double},           // 3 short
    {"%19.14f", 19, FieldArg::Double},          // 4 long
    {"%13.4e", 13, FieldArg::Double},           // 5 short e, rational
    {"%26.15e", 26, FieldArg::Double},          // 6 long e
    {"%13.5g", 13, FieldArg::Double},           // 7 short g
    {"%26.15g", 26, FieldArg::Double},          // 8 long g
    {"   %08lx%08lx", 19, FieldArg::HexWords},  // 9 hex
    {"%9.4f", 9, FieldArg::Double},             // 10 complex short
    {"%18.14f", 18, FieldArg::Double},          // 11 complex long
    {"%12.4e", 12, FieldArg::Double},           // 12 complex short e, rational
    {"%27.15e", 27, FieldArg::Double},          // 13 complex long e
    {"%12.5g", 12, FieldArg::Double},           // 14 complex short g
    {"%27.15g", 27, FieldArg::Double},          // 15 complex long g
    {"   %08lx%08lx", 19, FieldArg::HexWords},  // 16 complex hex
    {"%7.4f", 7, FieldArg::Double},             // 17 imaginary part of 10
    {"%17.14f", 17, FieldArg::Double},          // 18 imaginary part of 11
    {"%11.4e", 11, FieldArg::Double},           // 19 imaginary part of 12
    {"%22.15e", 22, FieldArg::Double},          // 20 imaginary part of 13
    {"%11.5g", 11, FieldArg::Double},           // 21 imaginary part of 14
    {"%22.15g", 22, FieldArg::Double},          // 22 imaginary part of 15
    {"   %08lx%08lx", 19, FieldArg::HexWords},  // 23 imaginary part of 16
};
static_assert(sizeof kNumberFormats / sizeof kNumberFormats[0] == 24);

// The field width the chunking counts for format f (both parts for the
// complex formats).
constexpr int fieldWidth(int f) {
  return kNumberFormats[f].width + (f >= kFirstComplexFormat ? kNumberFormats[f + kImagFormatOffset].width : 0);
}

// Reads one element of a class as a double.
using ElementReader = double (*)(const void *element);
// Prints one element's stored bits; only doubles use the format text.
using HexPrinter = void (*)(const char *format, const void *element);

// How the printer handles one public class.
struct ClassTraits {
  int classId;
  ElementReader read;
  HexPrinter hex;
  bool floating;  // double, sparse, single: values may have fractions
};

// The traits of a public class identifier, or null for a class the numeric
// printer cannot show.
const ClassTraits *findClassTraits(int classId);

}  // namespace zq::display
