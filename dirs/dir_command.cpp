// dir: prints the entries of a directory, a single file or a wildcard
// pattern in columns, or returns them as an n-by-1 structure array with the
// fields name, date, bytes and isdir, sorted by name.
#include <climits>
#include <cstdint>
#include <ctime>
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

// Modification times as dd-Mon-yyyy HH:MM:SS: empty without a status or a
// time, or when the time cannot be converted. Files of one directory often
// share a time, so the last one converted is kept.
class DateTexts {
 public:
  const char *of(const ioFileStatus *status) {
    if (status == nullptr || status->mtime == 0) return "";
    if (!known_ || status->mtime != time_) {
      time_ = status->mtime;
      known_ = true;
      const std::time_t seconds = time_;
      const std::tm *local = std::localtime(&seconds);  // follows TZ as it is now
      if (local == nullptr || std::strftime(text_, sizeof text_, "%d-%b-%Y %H:%M:%S", local) == 0) text_[0] = '\0';
    }
    return text_;
  }

 private:
  bool known_ = false;
  std::int32_t time_ = 0;
  char text_[50] = "";
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

// One element of the result: the name (its file-name part in a single-byte
// character set), and the status of prefix + name. An entry whose status
// cannot be had gets an empty date, 0 bytes and is not a directory.
void fillEntry(qxArray *entries, int i, const char *name, std::string &path, size_t prefixLength, DateTexts &dates) {
  path.resize(prefixLength);
  path += name;
  if (path.size() > common::kMaxPathLength) common::pathTooLong();
  ioFileStatus status{};
  const bool known = ioGetFileStatus(path.c_str(), &status) == 0;
  if (!known) status = ioFileStatus{};
  const char *shownName = utIsMultiByteCharSet() ? name : kpSeparatePathName(name, nullptr);
  qxSetFieldByNumber(entries, i, kName, common::stringResult(shownName));
  qxSetFieldByNumber(entries, i, kDate, common::stringResult(dates.of(known ? &status : nullptr)));
  qxSetFieldByNumber(entries, i, kBytes, common::scalarResult(status.size));
  qxSetFieldByNumber(entries, i, kIsDir, common::logicalResult(status.isDir == 1));
}

// The structure array of the names in list (none: 0-by-1), sorted.
qxArray *entryStructure(char *list, std::string_view prefix) {
  const std::size_t count = list == nullptr ? 0 : countNames(list);
  if (count > INT_MAX) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  const int n = static_cast<int>(count);
  const char *fields[kFieldCount] = {"name", "date", "bytes", "isdir"};
  common::OwnedArray entries(common::created(qxCreateStructMatrix(n, 1, kFieldCount, fields)));
  if (n == 0) return entries.release();
  common::UtBlock<char *> names = namePointers(count);
  char *name = list;
  for (int i = 0; i < n; ++i, name = nextName(name, false)) names.get()[i] = name;
  sortNames({names.get(), count});
  std::string path(prefix);
  DateTexts dates;
  for (int i = 0; i < n; ++i) fillEntry(entries.get(), i, names.get()[i], path, prefix.size(), dates);
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
    outputs.set(0, entryStructure(singleNameList(text).get(), ""));
  } else {
    const Listing found = listPath(listing, false);
    outputs.set(0, entryStructure(found.names.get(), directoryPrefix(text)));
  }
}

}  // namespace zq::dirs
