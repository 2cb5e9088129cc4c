// dir: prints the entries of a directory, a single file or a wildcard
// pattern in columns, or returns them as an n-by-1 structure array with the
// fields name, date, bytes and isdir, sorted by name.
#include <array>
#include <climits>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <span>
#include <string>
#include <string_view>

#include "builtins/zqbuiltins.h"
#include "common/arguments.h"
#include "common/outputs.h"
#include "common/paths.h"
#include "dirs/handlers.h"
#include "dirs/listing.h"
#include "dirs/name_list.h"
#include "host/ut.h"
#include "host/zqmpath.h"
#include "host/zqservices.h"

namespace zq::dirs {
namespace {

// The fields of the result, in this order.
enum Field { kName, kDate, kBytes, kIsDir, kFieldCount };

// Modification times as dd-Mon-yyyy HH:MM:SS: empty without a time (no
// status), or when the time cannot be converted. Files of one directory
// often share a few times, in any order once sorted by name, so the texts
// of recent times are kept, each in the slot its time's low bits choose.
class DateTexts {
 public:
  const char *of(const ioFileStatus &status) {
    if (status.mtime == 0) return "";
    Slot &slot = slots_[static_cast<std::uint32_t>(status.mtime) % kSlots];
    if (!slot.known || slot.time != status.mtime) {
      slot.time = status.mtime;
      slot.known = true;
      const std::time_t seconds = slot.time;
      const std::tm *local = std::localtime(&seconds);  // follows TZ as it is now
      if (local == nullptr || std::strftime(slot.text, sizeof slot.text, "%d-%b-%Y %H:%M:%S", local) == 0) {
        slot.text[0] = '\0';
      }
    }
    return slot.text;
  }

 private:
  static constexpr std::size_t kSlots = 64;
  struct Slot {
    bool known = false;
    std::int32_t time = 0;
    char text[50] = "";
  };
  std::array<Slot, kSlots> slots_{};
};

// The directory the listed names are in, as a prefix for their paths: for
// a pattern, what precedes its first "*" up to and including the last "/";
// otherwise the text with a "/" at its end.
std::string directoryPrefix(std::string_view text) {
  if (const size_t star = text.find('*'); star != std::string_view::npos) {
    const size_t slash = text.substr(0, star).rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(text.substr(0, slash + 1));
  }
  std::string prefix(text);
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  return prefix;
}

// Raises "path too long" when prefix + a name would be.
void checkPathLengths(std::span<char *const> names, size_t prefixLength) {
  for (const char *name : names) {
    if (prefixLength + std::strlen(name) > common::kMaxPathLength) common::pathTooLong();
  }
}

// The statuses of prefix + each name, read together; an entry whose status
// cannot be had is all zeros: an empty date, 0 bytes and not a directory.
common::UtBlock<ioFileStatus> statusesOf(std::span<char *const> names, const std::string &prefix) {
  common::UtBlock<ioFileStatus> statuses(static_cast<ioFileStatus *>(utCalloc(names.size(), sizeof(ioFileStatus))));
  if (!statuses) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  ioGetFileStatuses(prefix.c_str(), names.data(), names.size(), statuses.get());
  return statuses;
}

// One element of the result: the name (its file-name part in a single-byte
// character set, when names are paths) and what its status says.
void fillEntry(qxArray *entries, int i, const char *name, const ioFileStatus &status, bool fileNamePart,
               DateTexts &dates) {
  const char *shownName = fileNamePart ? kpSeparatePathName(name, nullptr) : name;
  qxSetFieldByNumber(entries, i, kName, common::stringResult(shownName));
  qxSetFieldByNumber(entries, i, kDate, common::stringResult(dates.of(status)));
  qxSetFieldByNumber(entries, i, kBytes, common::scalarResult(status.size));
  qxSetFieldByNumber(entries, i, kIsDir, common::logicalResult(status.isDir == 1));
}

// How the names of a list are given: as paths (the one name of a single
// file), or as the names a directory lists, which hold no "/".
enum class NameKind { kPath, kListed };

// The structure array of the names in list (none: 0-by-1), sorted; the
// names are in the directory prefix.
qxArray *entryStructure(char *list, const std::string &prefix, NameKind kind) {
  const std::size_t count = list == nullptr ? 0 : countNames(list);
  if (count > INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const int n = static_cast<int>(count);
  const char *fields[kFieldCount] = {"name", "date", "bytes", "isdir"};
  common::OwnedArray entries(common::created(qxCreateStructMatrix(n, 1, kFieldCount, fields)));
  if (n == 0) return entries.release();
  common::UtBlock<char *> namesBlock = namePointers(count);
  const std::span<char *> names(namesBlock.get(), count);
  char *name = list;
  for (char *&slot : names) {
    slot = name;
    name = nextName(name, false);
  }
  sortNames(names);
  checkPathLengths(names, prefix.size());
  const common::UtBlock<ioFileStatus> statuses = statusesOf(names, prefix);
  const bool fileNamePart = kind == NameKind::kPath && utIsMultiByteCharSet() == 0;
  DateTexts dates;
  for (int i = 0; i < n; ++i) fillEntry(entries.get(), i, names[i], statuses.get()[i], fileNamePart, dates);
  return entries.release();
}

}  // namespace

void dirHandler(int nlhs, qxArray *plhs[], int nrhs, qxArray *prhs[]) {
  qxCheckNumArgs(nlhs, 1, nrhs, 0, 1);
  const common::HostText argument = common::optionalText(nrhs, prhs, 0, QX_MSG_NOT_A_STRING);
  const std::string_view text = argument.get();
  if (text.size() > common::kMaxPathLength) common::pathTooLong();
  const bool pattern = text.find('*') != std::string_view::npos;
  const std::string listing = text.empty() || pattern ? std::string(text) : std::string(text) + "/";
  ioFileStatus status{};
  const bool singleFile = ioGetFileStatus(argument.get(), &status) == 0 && status.isDir == 0;
  if (nlhs == 0) {
    if (bnPrintDirectoryList("", singleFile ? argument.get() : listing.c_str(), 1, "", 1, nullptr) == 0) {
      utPrintf("%s not found.", argument.get());
    }
    utPrintf("\n");
    return;
  }
  common::Outputs outputs(nlhs, plhs);
  if (singleFile) {
    outputs.set(0, entryStructure(singleNameList(text).get(), "", NameKind::kPath));
  } else {
    const Listing found = listPath(listing, false);
    outputs.set(0, entryStructure(found.names.get(), directoryPrefix(text), NameKind::kListed));
  }
}

}  // namespace zq::dirs
