// Tab completion at the prompt: which names or file names a word can
// become, decided by whether the cursor sits inside a string.
#include "shell/completion.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>

#include "zqhost/host.h"

namespace zq::shell {
namespace {

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Entries of the directory part of word whose names continue its last part;
// directories end in '/'. Names beginning with a dot only when asked for.
void fileCompletions(std::string_view word, std::vector<std::string> &out) {
  const size_t slash = word.rfind('/');
  const std::string dir = slash == std::string_view::npos ? "" : std::string(word.substr(0, slash + 1));
  const std::string_view base = slash == std::string_view::npos ? word : word.substr(slash + 1);
  DIR *d = opendir(dir.empty() ? "." : dir.c_str());
  if (d == nullptr) return;
  while (const dirent *e = readdir(d)) {
    const std::string_view name = e->d_name;
    if (name == "." || name == ".." || !startsWith(name, base)) continue;
    if (name.front() == '.' && (base.empty() || base.front() != '.')) continue;
    std::string path = dir + std::string(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) path += '/';
    out.push_back(std::move(path));
  }
  closedir(d);
}

}  // namespace

bool insideString(std::string_view text) {
  char quote = 0;
  char previous = ' ';
  for (const char c : text) {
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens
    } else if (c == '"' || (c == '\'' && !(std::isalnum(static_cast<unsigned char>(previous)) || previous == '_' ||
                                           previous == ')' || previous == ']' || previous == '}' || previous == '.' ||
                                           previous == '\''))) {
      quote = c;
    } else if (c == '%') {
      return false;  // a comment
    }
    previous = c;
  }
  return quote != 0;
}

std::vector<std::string> completions(Session &session, std::string_view before, std::string_view word) {
  std::vector<std::string> out;
  if (insideString(before)) {
    fileCompletions(word, out);
  } else if (!word.empty()) {
    for (const std::string &name : session.evaluator().variableNames()) {
      if (startsWith(name, word)) out.push_back(name);
    }
    for (const std::string_view name : zqhost::registeredBuiltinNames()) {
      if (startsWith(name, word)) out.emplace_back(name);
    }
    for (const HostFunction &f : hostFunctions()) {
      if (startsWith(f.name, word)) out.emplace_back(f.name);
    }
  }
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return out;
}

}  // namespace zq::shell
