// Stepping through, counting and sorting lists of names.
#include "dirs/name_list.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "host/qx.h"
#include "host/ut.h"

namespace zq::dirs {

char *nextName(char *name, bool stripExtension) {
  char *end = name + std::strlen(name);
  if (stripExtension) {
    if (char *dot = std::strrchr(name, '.')) *dot = '\0';
  }
  return end[1] == '\0' ? nullptr : end + 1;
}

std::size_t countNames(char *list) {
  std::size_t count = 1;
  for (char *name = nextName(list, false); name != nullptr; name = nextName(name, false)) ++count;
  return count;
}

common::UtBlock<char *> namePointers(std::size_t count) {
  common::UtBlock<char *> names(static_cast<char **>(utCalloc(count, sizeof(char *))));
  if (!names) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  return names;
}

namespace {

// A name with its first eight bytes as one big-endian number (zeros after
// the end of a shorter name): numbers compare as the bytes do, so most
// comparisons are one integer comparison on data that sits together.
struct SortKey {
  std::uint64_t prefix;
  char *name;
};

std::uint64_t prefixOf(const char *name) {
  std::uint64_t prefix = 0;
  bool ended = false;
  for (int i = 0; i < 8; ++i) {
    const unsigned char byte = ended ? 0 : static_cast<unsigned char>(name[i]);
    ended = byte == 0;
    prefix = prefix << 8 | byte;
  }
  return prefix;
}

}  // namespace

void sortNames(std::span<char *> names) {
  if (names.size() < 2) return;
  common::UtBlock<SortKey> keys(static_cast<SortKey *>(utCalloc(names.size(), sizeof(SortKey))));
  if (!keys) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const std::span<SortKey> k(keys.get(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) k[i] = {prefixOf(names[i]), names[i]};
  std::sort(k.begin(), k.end(), [](const SortKey &a, const SortKey &b) {
    return a.prefix != b.prefix ? a.prefix < b.prefix : std::strcmp(a.name, b.name) < 0;
  });
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = k[i].name;
}

common::UtBlock<char> singleNameList(std::string_view text) {
  common::UtBlock<char> list(static_cast<char *>(utCallocWithCheck(text.size() + 3, 1)));
  std::memcpy(list.get(), text.data(), text.size());
  return list;
}

}  // namespace zq::dirs
