// The exported list printers: bnPrintList lays a list of names out in
// columns across the command window; bnPrintDirectoryList lists a
// directory, a single file or a wildcard pattern that way, or hands the
// names back as a cell array.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "builtins/zqbuiltins.h"
#include "common/char_codes.h"
#include "common/outputs.h"
#include "common/paths.h"
#include "dirs/listing.h"
#include "dirs/name_list.h"
#include "host/ut.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"

namespace zq::dirs {
namespace {

// Prints a header given as a format without arguments: "%%" is a percent
// sign; any other "%" is printed as it stands rather than read as a
// conversion with no argument behind it.
void printHeader(std::string_view header) {
  std::string text;
  text.reserve(header.size());
  for (size_t i = 0; i < header.size(); ++i) {
    text += header[i];
    if (header[i] == '%' && i + 1 < header.size() && header[i + 1] == '%') ++i;
  }
  utPuts(text.c_str());
}

// The path to list: name alone when dir is empty, else the two joined. A
// path longer than the limit is refused; separators at the end of a bare
// name, which name the same directory, are dropped first.
std::string listingPath(const char *dir, const char *name) {
  if (*dir == '\0') {
    std::string_view path = name;
    while (path.size() > common::kMaxPathLength && path.back() == '/') path.remove_suffix(1);
    if (path.size() > common::kMaxPathLength) common::pathTooLong();
    return std::string(path);
  }
  if (std::strlen(dir) > common::kMaxPathLength) common::pathTooLong();
  char joined[IO_PATH_BUFFER_SIZE];
  kpCombinePathName(joined, dir, name);
  if (std::strlen(joined) > common::kMaxPathLength) common::pathTooLong();
  return joined;
}

// The names of list (null: none) in list order as an n-by-1 cell of char
// rows, with their extensions; a leading at sign is dropped unless kept.
qxArray *nameCell(char *list, bool keepAtSign) {
  const std::size_t count = list == nullptr ? 0 : countNames(list);
  if (count > INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  common::OwnedArray cell(common::created(qxCreateCellMatrix(static_cast<int>(count), 1)));
  char *name = list;
  for (std::size_t i = 0; i < count; ++i, name = nextName(name, false)) {
    std::string_view text = name;
    if (!keepAtSign && text.starts_with('@')) text.remove_prefix(1);
    qxArray *row = common::created(qxCreateNumericMatrix(1, static_cast<int>(text.size()), QX_CLASS_CHAR, 0));
    common::widenSignedBytes(text.data(), qxGetChars(row), text.size());
    qxSetCell(cell.get(), static_cast<int>(i), row);
  }
  return cell.release();
}

}  // namespace
}  // namespace zq::dirs

extern "C" {

// Prints the names of list in columns, sorted by byte value, and frees the
// list. The column width is that of the longest name as shown, measured
// with its extension, plus two.
int bnPrintList(const char *header, char *list, int keepExtensions, int keepAtSign) {
  using namespace zq;
  common::UtBlock<char> owned(list);
  const std::size_t count = dirs::countNames(list);
  if (count > INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  if (header != nullptr) dirs::printHeader(header);
  common::UtBlock<char *> names = dirs::namePointers(count);
  std::size_t longest = 0;
  char *name = list;
  for (std::size_t i = 0; i < count; ++i) {
    char *shown = !keepAtSign && name[0] == '@' ? name + 1 : name;
    names.get()[i] = shown;
    longest = std::max(longest, std::strlen(shown));
    name = dirs::nextName(name, keepExtensions == 0);
  }
  dirs::sortNames({names.get(), count});
  const int width = static_cast<int>(std::min<std::size_t>(longest, INT_MAX - 2)) + 2;
  char format[32];
  std::snprintf(format, sizeof format, "%%-%is", width);
  ioColumnPrint(format, static_cast<int>(count), names.get(), std::max(1, (ioGetNumWindowColumns() - 1) / width));
  utPrintf("\n");
  return 1;
}

// Lists dir joined with name: prints it (header first) or, with cellOut,
// stores its names there. Returns 1 when something was listed or stored or
// the directory was empty (or could not be read, which is warned about), 0
// when nothing of that path exists.
uint8_t bnPrintDirectoryList(const char *dir, const char *name, int keepExtensions, const char *header, int keepAtSign,
                             qxArray **cellOut) {
  using namespace zq;
  const std::string path = dirs::listingPath(dir == nullptr ? "" : dir, name == nullptr ? "" : name);
  dirs::Listing found = dirs::listPath(path, true);
  if (cellOut != nullptr) {
    *cellOut = dirs::nameCell(found.names.get(), keepAtSign != 0);
    return 1;
  }
  if (found.names) return static_cast<uint8_t>(bnPrintList(header, found.names.release(), keepExtensions, keepAtSign));
  return found.exists ? 1 : 0;
}

}  // extern "C"
