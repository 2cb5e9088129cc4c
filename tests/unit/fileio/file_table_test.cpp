// The open-file table: fid allocation and reuse, the error texts, and the
// release of pending output bits.
#include "fileio/file_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "fileio/bit_stream.h"
#include "fileio/error_codes.h"
#include "fileio/scratch_files.h"
#include "host/ut.h"
#include "support/host_fixture.h"

namespace {

using namespace zq::fileio;

std::vector<int> fidsOf(const FileTable &table) {
  std::vector<int> fids;
  for (const FileEntry *e = table.head; e != nullptr; e = e->next) fids.push_back(e->fid);
  return fids;
}

// Removes the entry of fid from a table built only of fresh entries.
void removeFid(FileTable &table, int fid) {
  FileEntry *previous = table.head;
  for (FileEntry *e = table.head; e != nullptr; previous = e, e = e->next) {
    if (e->fid == fid) {
      removeEntry(table, e == table.head ? e : previous, e);
      return;
    }
  }
  FAIL() << "no fid " << fid;
}

struct LocalTable {
  FileTable table;
  ~LocalTable() {
    while (table.head != nullptr) removeEntry(table, table.head, table.head);
  }
};

TEST(FileTable, GivesTheLowestFreeFidAndKeepsTheListSorted) {
  LocalTable t;
  for (int i = 0; i < 6; ++i) EXPECT_EQ(addEntry(t.table).fid, i);
  removeFid(t.table, 4);
  EXPECT_EQ(addEntry(t.table).fid, 4);
  removeFid(t.table, 3);
  removeFid(t.table, 4);
  EXPECT_EQ(addEntry(t.table).fid, 3);
  EXPECT_EQ(addEntry(t.table).fid, 4);
  EXPECT_EQ(addEntry(t.table).fid, 6);
  EXPECT_EQ(fidsOf(t.table), (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(t.table.count, 7);
  EXPECT_EQ(t.table.tail->fid, 6);
}

TEST(ErrorCodes, MapEveryCodeToItsTextAndTheRestToTheFallback) {
  const char *const noHelp = "Sorry. No help in figuring out the problem . . .";
  const struct {
    int code;
    const char *text;
  } cases[] = {
      {0, ""},
      {-1, noHelp},
      {-2, "Cannot open file. Existence? Permissions? Memory? . . ."},
      {-4, "At end-of-file."},
      {-27, "Offset is bad - after end-of-file or last character written."},
      {-31, "Write of carry byte failed."},
      {-37, "Internal error - please report this problem to the KORVANE!"},
      {-38, noHelp},
      {2, noHelp},
      {INT_MIN, noHelp},
      {INT_MAX, noHelp},
  };
  for (const auto &c : cases) EXPECT_STREQ(messageForCode(c.code), c.text) << c.code;
  for (int code = 0; code >= -37; --code) EXPECT_NE(messageForCode(code), nullptr);
}

// A file entry over a scratch file with a pending output byte.
struct PendingBits {
  zqtest::ScratchDir dir;
  std::string path = dir.file("bits.bin");
  FileEntry entry;
  char permission[4] = {};

  PendingBits(const zqtest::Bytes &initial, const char *perm, uint8_t byte, int count, int order) {
    zqtest::writeBytes(path, initial);
    std::snprintf(permission, sizeof permission, "%s", perm);
    entry.permission = permission;
    entry.stream = std::fopen(path.c_str(), perm[0] == 'w' ? "wb" : perm[0] == 'a' ? "ab" : "r+b");
    if (std::string(perm) == "r") entry.stream = std::freopen(path.c_str(), "rb", entry.stream);
    entry.bitCarry = static_cast<BitCarry *>(utCallocWithCheck(1, sizeof(BitCarry)));
    *entry.bitCarry = BitCarry{byte, count, order == 1 ? 8 - count : 0, 1, order};
  }
  ~PendingBits() {
    utFree(entry.bitCarry);
    if (entry.stream != nullptr) std::fclose(entry.stream);
  }
  zqtest::Bytes close() {
    std::fclose(entry.stream);
    entry.stream = nullptr;
    return zqtest::readBytes(path);
  }
};

TEST(BitState, ReleaseWritesThePendingByteMergedWithTheFile) {
  const struct {
    const char *permission;
    zqtest::Bytes initial;
    uint8_t byte;
    int count;
    int order;
    zqtest::Bytes expected;
  } cases[] = {
      {"w", {}, 0x30, 4, 1, {0x30}},                   // top nibble written, rest zero
      {"w", {}, 0x05, 3, 0, {0x05}},                   // low bits for byte order 0
      {"r+", {0xFF, 0x11}, 0xA0, 3, 1, {0xBF, 0x11}},  // file keeps its low five bits
      {"r+", {0xFF}, 0x02, 2, 0, {0xFE}},              // file keeps its high six bits
      {"r+", {}, 0x80, 1, 1, {0x80}},                  // past the end the byte starts at 0
      {"w", {}, 0xC3, 8, 1, {0xC3}},                   // a whole byte is written as it is
  };
  for (const auto &c : cases) {
    PendingBits p(c.initial, c.permission, c.byte, c.count, c.order);
    EXPECT_EQ(releaseBitState(p.entry), 0) << c.permission;
    EXPECT_EQ(p.entry.bitCarry, nullptr);
    EXPECT_EQ(p.close(), c.expected) << c.permission << " " << int(c.byte);
  }
}

TEST(BitState, FlushToAFullDeviceRecordsTheFailure) {
  FileEntry entry;
  char permission[] = "w";
  entry.permission = permission;
  entry.stream = std::fopen("/dev/full", "wb");
  ASSERT_NE(entry.stream, nullptr);
  std::setvbuf(entry.stream, nullptr, _IONBF, 0);
  BitCarry carry{0x80, 1, 7, 1, 1};
  entry.bitCarry = &carry;
  EXPECT_EQ(flushPendingByte(entry), 1);
  EXPECT_NE(entry.status, 0);
  EXPECT_EQ(entry.lastError, entry.status);
  std::fclose(entry.stream);
}

}  // namespace
