// Shared helpers of the display tests: run display or disp on a value under
// a chosen format and spacing and return what was printed.
#pragma once

#include <string>

#include "support/host_fixture.h"

namespace zqtest {

// Sets the format through the builtin, as a user would ("" for none).
void setFormat(const char *word, const char *modifier = "");

// Restores short, loose, 80 columns and no stop request at the end of a test.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// Output of builtin (display or disp) on a, and the error text if any.
struct Shown {
  std::string out;
  std::string error;
};
Shown show(const char *builtin, const qxArray *a);

// A named copy of a for display's name line.
Array named(Array a, const char *name);
// A complex double matrix from real and imaginary parts (column-major).
Array complexMat(int m, int n, std::initializer_list<double> re, std::initializer_list<double> im);
// A numeric matrix of a class from values (column-major), converted by the host.
Array typed(int classId, int m, int n, std::initializer_list<double> values);

}  // namespace zqtest
