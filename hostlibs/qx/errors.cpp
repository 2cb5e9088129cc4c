// Errors, warnings and the session's last-message records.
#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#include "zqhost/host.h"

namespace zqhost {

Error::Error(std::string text) : text_(std::move(text)) {}
Error::Error(const char *text) : text_(text) {}
Error::~Error() = default;
const char *Error::what() const noexcept { return text_.c_str(); }

Interrupt::~Interrupt() = default;
const char *Interrupt::what() const noexcept { return "interrupted"; }

void raise(std::string text) { throw Error(std::move(text)); }

namespace {

struct HostMessage {
  int number;
  const char *text;
};

constexpr HostMessage kMessages[] = {
    {QX_MSG_TOO_MANY_INPUTS, "Too many input arguments."},
    {QX_MSG_NOT_ENOUGH_INPUTS, "Not enough input arguments."},
    {QX_MSG_TOO_MANY_OUTPUTS, "Too many output arguments."},
    {QX_MSG_INVALID_OPTION, "Invalid option."},
    {QX_MSG_NOT_A_STRING, "Argument must be a string."},
    {QX_MSG_OUT_OF_MEMORY, "Out of memory."},
    {QX_MSG_INVALID_FID, "Invalid file identifier."},
    {QX_MSG_FILE_NAME_NOT_STRING, "File name must be a string."},
    {QX_MSG_FORMAT_NOT_STRING, "Format must be a string."},
    {QX_MSG_EMPTY_OFFSET, "Offset must not be empty."},
    {QX_MSG_INVALID_ORIGIN, "Invalid origin."},
    {QX_MSG_INVALID_PERMISSION, "Invalid permission."},
    {QX_MSG_INVALID_PRECISION, "Invalid precision."},
    {QX_MSG_INVALID_SIZE, "Invalid size."},
    {QX_MSG_INVALID_FCLOSE_OPTION, "Invalid option for fclose."},
    {QX_MSG_SCAN_TEXT_NOT_STRING, "Text to scan must be a string."},
    {QX_MSG_OPTION_NOT_STRING, "Option must be a string."},
    {QX_MSG_ONLY_CLEAR, "The only option is 'clear'."},
    {QX_MSG_INVALID_MACHINE_FORMAT, "Invalid machine format."},
    {QX_MSG_STDIN_REFUSED, "Standard input cannot be read here."},
    {QX_MSG_MISSING_FORMAT, "Missing format."},
    {QX_MSG_INVALID_SKIP, "Invalid skip."},
    {QX_MSG_INVALID_LENGTH, "Invalid length."},
};

// The text of a printf format and its arguments. Most messages fit the
// stack buffer and are formatted once; a longer one is formatted again at
// its length.
std::string formatted(const char *format, va_list args) {
  char buffer[256];
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (length <= 0) return {};
  if (static_cast<size_t>(length) < sizeof buffer) return std::string(buffer, static_cast<size_t>(length));
  std::string text(static_cast<size_t>(length), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  return text;
}

struct SessionRecords {
  std::string lastError;
  std::string lastWarning;
  int warningMode = 1;       // on
  int warningFrequency = 1;  // always
  int warningPeriod = 0;
  std::set<std::string> printed;  // every warning text printed so far
};

SessionRecords &session() {
  static SessionRecords records;
  return records;
}

}  // namespace

const char *messageText(int n) {
  for (const HostMessage &m : kMessages) {
    if (m.number == n) return m.text;
  }
  return "Unknown error.";
}

}  // namespace zqhost

extern "C" {

void qxCheckNumArgs(int nlhs, int maxOut, int nrhs, int minIn, int maxIn) {
  if (nrhs > maxIn) qxErrMsg(QX_MSG_TOO_MANY_INPUTS);
  if (nrhs < minIn) qxErrMsg(QX_MSG_NOT_ENOUGH_INPUTS);
  if (nlhs > maxOut) qxErrMsg(QX_MSG_TOO_MANY_OUTPUTS);
}

void qxErrMsg(int n, ...) { throw zqhost::Error(zqhost::messageText(n)); }

// The text is formatted into a buffer that outlives the call, so that
// nothing on this frame needs destroying while the error unwinds.
void qxErrMsgTxt(const char *format, ...) {
  static std::string message;
  va_list args;
  va_start(args, format);
  message = zqhost::formatted(format, args);
  va_end(args);
  throw zqhost::Error(message.c_str());
}

void qxErrorReturn(const char *text) { throw zqhost::Error(text == nullptr ? "" : text); }

// A warning is printed and becomes the last warning text, unless the mode
// is off (nothing at all happens then). With the frequency "once" a text
// that has been printed before in this session is not printed again, but
// it still becomes the last warning text.
void qxWarningMsgTxt(const char *format, ...) {
  auto &s = zqhost::session();
  if (s.warningMode < 1 || s.warningMode > 3) return;
  va_list args;
  va_start(args, format);
  std::string text = zqhost::formatted(format, args);
  va_end(args);
  const bool printedBefore = !s.printed.insert(text).second;
  if (s.warningFrequency != 0 || !printedBefore) {
    std::fputs("warning: ", stdout);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
  }
  s.lastWarning = std::move(text);
}

const char *qxGetLastErrMsg(void) { return zqhost::session().lastError.c_str(); }
void qxSetLastErrMsg(const char *text) { zqhost::session().lastError = text == nullptr ? "" : text; }
const char *qxGetLastWarningMsg(void) { return zqhost::session().lastWarning.c_str(); }
void qxSetLastWarningMsg(const char *text) { zqhost::session().lastWarning = text == nullptr ? "" : text; }
int qxGetWarningFlag(void) { return zqhost::session().warningMode; }
void qxSetWarningFlag(int mode) { zqhost::session().warningMode = mode; }
int qxGetWarningFrequency(void) { return zqhost::session().warningFrequency; }
void qxSetWarningFrequency(int frequency) { zqhost::session().warningFrequency = frequency; }
void qxSetWarningPeriod(int period) { zqhost::session().warningPeriod = period; }
int qxTxtCmp(const char *a, const char *b) { return std::string_view(a) == std::string_view(b) ? 0 : 1; }

}  // extern "C"
