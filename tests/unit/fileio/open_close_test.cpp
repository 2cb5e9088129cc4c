// fopen and fclose as users call them: fid allocation, stored permissions
// and formats, queries, re-opening, the argument errors and closing.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "fileio/file_table.h"
#include "fileio/scratch_files.h"
#include "host/ut.h"
#include "support/host_fixture.h"
#include "zqhost/faults.h"

namespace {

using zqtest::Array;
using zqtest::call;
using zqtest::num;
using zqtest::str;

class OpenClose : public zqtest::FileTest {
 protected:
  double open(const std::string &path, const char *permission = "r", const char *format = nullptr) {
    zqtest::Inputs in;
    in.s(path.c_str()).s(permission);
    if (format != nullptr) in.s(format);
    auto r = zqtest::callWith("fopen", 2, in.list());
    EXPECT_EQ(r.error, "") << path;
    return r.error.empty() ? qxGetScalar(r.outputs[0].get()) : -99;
  }
  double close(double fid) {
    auto r = on("fclose", 1, fid);
    EXPECT_EQ(r.error, "");
    return r.error.empty() ? qxGetScalar(r.outputs[0].get()) : -99;
  }
  std::vector<std::string> query(double fid, int nlhs) {
    auto r = on("fopen", nlhs, fid);
    EXPECT_EQ(r.error, "");
    std::vector<std::string> texts;
    for (auto &o : r.outputs) texts.push_back(o ? zqtest::text(o.get()) : "<none>");
    return texts;
  }
  std::vector<double> openFids() {
    Array all = str("all");
    auto r = call("fopen", 1, {all.get()});
    std::vector<double> fids;
    const qxArray *a = r.outputs[0].get();
    fids.reserve(static_cast<size_t>(qxGetNumberOfElements(a)));
    for (int i = 0; i < qxGetNumberOfElements(a); ++i) fids.push_back(qxGetPr(a)[i]);
    if (fids.empty()) {
      EXPECT_EQ(qxGetM(a), 0);
      EXPECT_EQ(qxGetN(a), 0);
    }
    return fids;
  }
};

TEST_F(OpenClose, ReusesTheLowestFreeFid) {
  EXPECT_TRUE(openFids().empty());
  EXPECT_EQ(open(dir.file("a"), "w"), 3);
  EXPECT_EQ(open(dir.file("b"), "w"), 4);
  EXPECT_EQ(open(dir.file("c"), "w"), 5);
  EXPECT_EQ(close(4), 0);
  EXPECT_EQ(open(dir.file("d"), "w"), 4);
  EXPECT_EQ(close(3), 0);
  EXPECT_EQ(close(4), 0);
  EXPECT_EQ(open(dir.file("e"), "w"), 3);
  EXPECT_EQ(open(dir.file("f"), "w"), 4);
  EXPECT_EQ(openFids(), (std::vector<double>{3, 4, 5}));
}

TEST_F(OpenClose, StoresTheReducedPermissionAndTheFormat) {
  zqtest::writeBytes(dir.file("x.bin"), {1, 2});
  const std::string native = utGetDataSizeTypeName(utGetDataSizeType());
  const struct {
    const char *permission;
    const char *format;
    const char *stored;
    std::string formatName;
  } cases[] = {
      {"rt", nullptr, "r", native},
      {"wb", nullptr, "wb", native},
      {"W", "B", "W", "ieee-be"},
      {"r+t", "native", "r+", native},
      {"A", "ieee-le.l64", "A", "ieee-le.l64"},
      {"a+", "c", "a+", "cray"},
      {"rb", "VAXD", "rb", "vaxd"},
      {"r", "s", "r", "ieee-be.l64"},
  };
  for (const auto &c : cases) {
    const double fid = open(dir.file("x.bin"), c.permission, c.format);
    ASSERT_GE(fid, 3) << c.permission;
    const auto q = query(fid, 4);
    EXPECT_EQ(q[0], dir.file("x.bin")) << c.permission;
    EXPECT_EQ(q[1], c.stored);
    EXPECT_EQ(q[2], c.formatName);
    EXPECT_EQ(q[3], "");
    EXPECT_EQ(close(fid), 0);
  }
}

TEST_F(OpenClose, AnswersQueriesAboutStandardAndUnknownFids) {
  const std::string native = utGetDataSizeTypeName(utGetDataSizeType());
  fiInitStdIO();  // another library may call it again: nothing changes
  EXPECT_TRUE(openFids().empty());
  EXPECT_EQ(query(0, 2), (std::vector<std::string>{"\"stdin\"", "r"}));
  EXPECT_EQ(query(1, 3), (std::vector<std::string>{"\"stdout\"", "a", native}));
  EXPECT_EQ(query(2.7, 1), (std::vector<std::string>{"\"stderr\""}));
  EXPECT_EQ(query(99, 3), (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(query(-1, 3), (std::vector<std::string>{"", "", ""}));
}

TEST_F(OpenClose, ReportsAFailedOpenWithoutChangingTheTable) {
  Array name = str(dir.file("missing.bin").c_str());
  auto r = call("fopen", 2, {name.get()});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), -1);
  EXPECT_NE(zqtest::text(r.outputs[1].get()), "");
  Array perm = str("w");
  Array badDir = str(dir.file("no/such/dir").c_str());
  r = call("fopen", 2, {badDir.get(), perm.get()});
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), -1);
  EXPECT_TRUE(openFids().empty());
}

TEST_F(OpenClose, ReopensAKnownFileInItsEntry) {
  const std::string path = dir.file("same.bin");
  zqtest::writeBytes(path, {7});
  EXPECT_EQ(open(path), 3);
  EXPECT_EQ(open(path), 3);       // the same full path: the same fid
  EXPECT_EQ(open(path, "a"), 3);  // a known name keeps its entry
  EXPECT_EQ(query(3, 2)[1], "a");
  EXPECT_EQ(open(path, "rb"), 3);
  EXPECT_EQ(openFids(), (std::vector<double>{3}));
  EXPECT_EQ(open(dir.file("other.bin"), "w"), 4);
  EXPECT_EQ(open(dir.file("other.bin"), "r+"), 4);
  EXPECT_EQ(openFids(), (std::vector<double>{3, 4}));
}

TEST_F(OpenClose, RaisesTheArgumentErrorsInOrder) {
  const std::string path = dir.file("e.bin");
  Array name = str(path.c_str()), r = str("r"), z = str("z"), empty = str(""), q = str("q"), five = num(5);
  Array zero = num(0), two = num(2), minus = num(-1), ninetyNine = num(99);
  Array three = num(3), all = str("all"), upperAll = str("ALL"), big = str(std::string(1100, 'x').c_str());
  const struct {
    const char *builtin;
    int nlhs;
    std::vector<const qxArray *> inputs;
    const char *error;
  } cases[] = {
      {"fopen", 1, {name.get(), z.get()}, "Invalid permission."},
      {"fopen", 1, {name.get(), empty.get()}, "Invalid permission."},
      {"fopen", 1, {name.get(), five.get()}, "Invalid permission."},
      {"fopen", 1, {name.get(), r.get(), q.get()}, "Invalid machine format."},
      {"fopen", 1, {name.get(), r.get(), empty.get()}, "Invalid machine format."},
      {"fopen", 1, {name.get(), r.get(), five.get()}, "Invalid machine format."},
      {"fopen", 1, {three.get(), r.get()}, "File name must be a string."},
      {"fopen", 1, {three.get(), z.get(), q.get()}, "File name must be a string."},
      {"fopen", 1, {name.get(), z.get(), q.get()}, "Invalid permission."},
      {"fopen", 1, {name.get(), r.get(), q.get(), q.get()}, "Too many input arguments."},
      {"fopen", 5, {three.get()}, "Too many output arguments."},
      {"fopen", 1, {big.get(), r.get()}, "File name is too long: paths are limited to 1024 characters."},
      {"fclose", 1, {zero.get()}, "Invalid file identifier."},
      {"fclose", 1, {two.get()}, "Invalid file identifier."},
      {"fclose", 1, {minus.get()}, "Invalid file identifier."},
      {"fclose", 1, {ninetyNine.get()}, "Invalid file identifier."},
      {"fclose", 1, {upperAll.get()}, "Invalid option for fclose."},
      {"fclose", 1, {all.get(), all.get()}, "Too many input arguments."},
      {"fclose", 2, {all.get()}, "Too many output arguments."},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(zqtest::callWith(c.builtin, c.nlhs, c.inputs).error, c.error) << c.builtin << " with " << c.inputs.size();
  }
  EXPECT_TRUE(openFids().empty());
}

TEST_F(OpenClose, ClosesAllUserFilesAndOnlyThem) {
  Array all = str("all");
  auto r = call("fclose", 1, {all.get()});
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 0);
  open(dir.file("1"), "w");
  open(dir.file("2"), "w");
  open(dir.file("3"), "w");
  r = call("fclose", 0, {all.get()});
  EXPECT_EQ(qxGetScalar(r.outputs[0].get()), 0);
  EXPECT_TRUE(openFids().empty());
  EXPECT_EQ(query(1, 1)[0], "\"stdout\"");
}

// Descriptors the process has open: a stream that leaks keeps one.
[[maybe_unused]] int openDescriptors() {
  int n = 0;
  for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
  return n;
}

// An allocation or a stream call that fails inside fopen, at each such call
// in turn, leaves the table whole: a file is either open under a complete
// entry or not in the table at all, and no stream is left open outside it.
TEST_F(OpenClose, AFailureInsideFopenLeavesACompleteEntryOrNone) {
  if (!zqhost::faults::kEnabled) GTEST_SKIP() << "needs a failure-injection build";
#if defined(ZQ_FAULT_INJECTION)
  using zqhost::faults::Kind;
  zqtest::writeBytes(dir.file("b"), {'b'});
  Array a = str(dir.file("a").c_str()), b = str(dir.file("b").c_str()), all = str("all");
  Array w = str("w"), r = str("r"), update = str("r+");
  const int descriptors = openDescriptors();
  for (const Kind kind : {Kind::kAllocation, Kind::kStream}) {
    for (long n = 1;; ++n) {
      SCOPED_TRACE((kind == Kind::kAllocation ? "allocation " : "stream call ") + std::to_string(n));
      zqhost::faults::failAt(kind, n);
      // New files for writing and reading, then each opened again.
      call("fopen", 2, {a.get(), w.get()});
      call("fopen", 2, {b.get(), r.get()});
      call("fopen", 2, {a.get(), update.get()});
      call("fopen", 2, {b.get(), r.get()});
      const bool fired = zqhost::faults::fired(kind);
      zqhost::faults::failAt(kind, 0);
      zq::fileio::FileTable &table = zq::fileio::fileTable();
      int entries = 0;
      for (const zq::fileio::FileEntry *e = table.head; e != nullptr; e = e->next, ++entries) {
        EXPECT_NE(e->name, nullptr);
        EXPECT_NE(e->permission, nullptr);
        EXPECT_NE(e->stream, nullptr);
      }
      EXPECT_EQ(entries, table.count);
      call("fclose", 1, {all.get()});
      EXPECT_TRUE(openFids().empty());
      EXPECT_EQ(openDescriptors(), descriptors);
      if (!fired || HasFailure()) break;
    }
  }
#endif
}

}  // namespace
