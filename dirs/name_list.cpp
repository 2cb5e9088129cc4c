// Stepping through, counting and sorting lists of names.
#include "dirs/name_list.h"

#include <algorithm>
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

void sortNames(std::span<char *> names) {
  std::sort(names.begin(), names.end(), [](const char *a, const char *b) { return std::strcmp(a, b) < 0; });
}

common::UtBlock<char> singleNameList(std::string_view text) {
  common::UtBlock<char> list(static_cast<char *>(utCallocWithCheck(text.size() + 3, 1)));
  std::memcpy(list.get(), text.data(), text.size());
  return list;
}

}  // namespace zq::dirs
