// Ctrl-C during a long transfer: the call leaves with the interrupt, the
// file stays open and usable, and what was written before the interrupt is
// in the file.
#include <gtest/gtest.h>

#include <string>

#include "fileio/scratch_files.h"
#include "zqhost/host.h"

namespace zqtest {
namespace {

class InterruptedTransfer : public FileTest {
 protected:
  void TearDown() override {
    zqhost::clearInterrupt();
    FileTest::TearDown();
  }
  // 1:n as a double row.
  static Array range(int n) {
    Array a(qxCreateDoubleMatrix(1, n, 0));
    for (int k = 0; k < n; ++k) qxGetPr(a.get())[k] = k + 1;
    return a;
  }
  static std::string lines(int n) {
    std::string text;
    for (int k = 1; k <= n; ++k) text += std::to_string(k) + "\n";
    return text;
  }
  double closeFile(double fid) {
    CallResult r = on("fclose", 1, fid);
    EXPECT_EQ(r.error, "");
    return r.error.empty() ? qxGetScalar(r.outputs[0].get()) : 99;
  }
};

TEST_F(InterruptedTransfer, FprintfKeepsTheTextMadeBeforeTheInterrupt) {
  const std::string path = dir.file("out.txt");
  const double fid = openPath(path, "w");
  Array format = str("%d\n"), values = range(100000);
  zqhost::requestInterrupt();
  EXPECT_THROW(on("fprintf", 0, fid, Inputs().a(std::move(format)).a(std::move(values))), zqhost::Interrupt);
  EXPECT_FALSE(zqhost::interruptPending());
  EXPECT_EQ(closeFile(fid), 0);
  const Bytes bytes = readBytes(path);
  const std::string written(bytes.begin(), bytes.end());
  const std::string all = lines(100000);
  EXPECT_GT(written.size(), 1000u);
  EXPECT_LT(written.size(), all.size() / 2);
  EXPECT_EQ(all.compare(0, written.size(), written), 0) << "not a prefix of the whole text";
}

TEST_F(InterruptedTransfer, SprintfLeavesWithoutAResult) {
  Array format = str("%d,"), values = range(100000);
  zqhost::requestInterrupt();
  EXPECT_THROW(call("sprintf", 1, {format.get(), values.get()}), zqhost::Interrupt);
  // Short output finishes before the first check; the interrupt waits.
  Array shortValues = range(10);
  zqhost::requestInterrupt();
  CallResult r = call("sprintf", 1, {format.get(), shortValues.get()});
  EXPECT_EQ(text(r.outputs[0].get()), "1,2,3,4,5,6,7,8,9,10,");
  EXPECT_TRUE(zqhost::interruptPending());
}

// The stream stops between two numbers: reading on gives the next one.
TEST_F(InterruptedTransfer, FscanfStopsBetweenValues) {
  const std::string all = lines(50000);
  const double fid = openWith(Bytes(all.begin(), all.end()), "r", "numbers.txt");
  zqhost::requestInterrupt();
  EXPECT_THROW(on("fscanf", 1, fid, Inputs().s("%d")), zqhost::Interrupt);
  CallResult at = on("ftell", 1, fid);
  const long position = static_cast<long>(qxGetScalar(at.outputs[0].get()));
  ASSERT_GT(position, 0);
  ASSERT_LT(position, static_cast<long>(all.size()));
  CallResult next = on("fscanf", 1, fid, Inputs().s("%d").n(1));
  ASSERT_EQ(next.error, "");
  const size_t start = all.find_first_not_of("\n", static_cast<size_t>(position));
  EXPECT_EQ(qxGetScalar(next.outputs[0].get()), std::stod(all.substr(start)));
  EXPECT_EQ(closeFile(fid), 0);
}

TEST_F(InterruptedTransfer, FreadStopsAtABlockAndTheFileReadsOn) {
  const double fid = openWith(Bytes(600000, 1));
  zqhost::requestInterrupt();
  EXPECT_THROW(on("fread", 1, fid, Inputs().n(1e9).s("3*int16").n(2)), zqhost::Interrupt);
  CallResult at = on("ftell", 1, fid);
  const double position = qxGetScalar(at.outputs[0].get());
  EXPECT_GT(position, 0);
  EXPECT_EQ(static_cast<long>(position) % 8, 0) << "blocks of three int16 and a skip of two bytes";
  CallResult more = on("fread", 1, fid, Inputs().n(4).s("uint8"));
  EXPECT_EQ(valuesOf(more.outputs[0].get()), (std::vector<double>{1, 1, 1, 1}));
  EXPECT_EQ(closeFile(fid), 0);
}

TEST_F(InterruptedTransfer, FwriteKeepsTheValuesWrittenBeforeTheInterrupt) {
  const std::string path = dir.file("values.bin");
  const double fid = openPath(path, "w");
  zqhost::requestInterrupt();
  EXPECT_THROW(on("fwrite", 1, fid, Inputs().a(range(200000)).s("int32")), zqhost::Interrupt);
  EXPECT_EQ(closeFile(fid), 0);
  const Bytes bytes = readBytes(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_LT(bytes.size(), 800000u);
  EXPECT_EQ(bytes.size() % 4, 0u);
  EXPECT_EQ(bytes[4 * 9], 10) << "the tenth value";
}

}  // namespace
}  // namespace zqtest
