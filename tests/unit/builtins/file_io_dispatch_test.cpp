// fiFcn, the one entry of the file-I/O builtins: the standard streams on
// first use, the count check every operation shares, the operation numbers.
#include <gtest/gtest.h>

#include <string>

#include "builtins/zqbuiltins.h"
#include "fileio/file_table.h"
#include "support/host_fixture.h"

namespace {

// fiFcn called directly (as another library of the interpreter may), with
// the error it raised.
struct Direct {
  std::string error;
  zqtest::Array output;
};

Direct callFiFcn(int op, std::initializer_list<const qxArray *> inputs) {
  Direct d;
  std::vector<qxArray *> in;
  for (const qxArray *a : inputs) in.push_back(const_cast<qxArray *>(a));
  qxArray *out[1] = {nullptr};
  try {
    (void)fiFcn(1, out, op, static_cast<int>(in.size()), in.data());
  } catch (const zqhost::Error &e) {
    d.error = e.text();
  }
  d.output.reset(out[0]);
  return d;
}

TEST(FileIoDispatch, RefusesACallWithoutInputsWhateverTheOperation) {
  for (const char *name : {"fopen", "fclose", "fread", "sprintf", "ftell", "feof"}) {
    EXPECT_EQ(zqtest::call(name, 1, {}).error, "Not enough input arguments.") << name;
  }
  EXPECT_EQ(callFiFcn(99, {}).error, "Not enough input arguments.");
}

TEST(FileIoDispatch, SetsUpTheStandardStreamsOnFirstUse) {
  (void)zqtest::call("fopen", 1, {});
  EXPECT_TRUE(zq::fileio::fileTable().standardStreamsReady);
  for (int fid = 0; fid <= 2; ++fid) EXPECT_NE(zq::fileio::findEntry(zq::fileio::fileTable(), fid), nullptr) << fid;
}

// Numbers 0 to 13 name the operations in the order of the table; any other
// number is refused before anything runs.
TEST(FileIoDispatch, RunsTheOperationOfItsNumberAndRefusesOthers) {
  zqtest::registerBuiltins();
  const zqtest::Array stdoutFid = zqtest::num(1), format = zqtest::str("%d-%d"), a = zqtest::num(4);
  const Direct told = callFiFcn(10, {stdoutFid.get()});  // ftell
  EXPECT_EQ(told.error, "");
  const Direct printed = callFiFcn(7, {format.get(), a.get(), a.get()});  // sprintf
  ASSERT_EQ(printed.error, "");
  EXPECT_EQ(zqtest::text(printed.output.get()), "4-4");
  for (int op : {-1, 14, 1000}) EXPECT_EQ(callFiFcn(op, {a.get()}).error, "Invalid file operation.") << op;
}

}  // namespace
