// format: which print format and spacing each word and modifier selects,
// and what is refused without changing anything.
#include <string>
#include <vector>

#include "builtins/zqbuiltins.h"
#include "display/display_support.h"

namespace zqtest {
namespace {

struct FormatCase {
  std::vector<const char *> words;  // applied in order, each "word" or "word modifier"
  int code;
  const char *newline;
};

void applyWords(const char *line) {
  const std::string text = line;
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) {
    setFormat(line);
  } else {
    setFormat(text.substr(0, blank).c_str(), text.substr(blank + 1).c_str());
  }
}

class FormatCommandTest : public DisplayTest {};

TEST_F(FormatCommandTest, FormatWordsAndModifiersSelectTheirCodes) {
  const FormatCase cases[] = {
      {{"long e"}, 4, "\n"},        {{"rational"}, 10, "\n"},        {{"rat"}, 10, "\n"},
      {{"hex e"}, 9, "\n"},         {{"bank e"}, 10, "\n"},          {{"short x"}, 1, "\n"},
      {{"long", "compact"}, 2, ""}, {{"compact", "loose"}, 1, "\n"}, {{"long e", "compact", ""}, 1, "\n"},
      {{"compact e"}, 3, ""},       {{"debug g"}, 11, "\n"},         {{"rat", "compact g"}, 10, ""},
  };
  for (const FormatCase &c : cases) {
    SetPrtfmt(1);
    GetNewline()[0] = '\n';
    GetNewline()[1] = '\0';
    std::string label;
    for (const char *w : c.words) {
      applyWords(w);
      label += std::string("[") + w + "]";
    }
    EXPECT_EQ(GetPrtfmt(), c.code) << label;
    EXPECT_STREQ(GetNewline(), c.newline) << label;
  }
}

TEST_F(FormatCommandTest, FormatRefusalsChangeNothing) {
  setFormat("long", "e");
  setFormat("compact");
  Array capital = str("Short");
  Array number = num(1);
  Array word = str("short");
  const struct {
    std::vector<const qxArray *> args;
    const char *error;
  } cases[] = {
      {{capital.get()}, "Invalid option."},
      {{word.get(), number.get()}, "Argument must be a string."},
      {{word.get(), word.get(), word.get()}, "Too many input arguments."},
  };
  for (const auto &c : cases) {
    std::vector<const qxArray *> args = c.args;
    CallResult r;
    if (args.size() == 1) r = call("format", 0, {args[0]});
    if (args.size() == 2) r = call("format", 0, {args[0], args[1]});
    if (args.size() == 3) r = call("format", 0, {args[0], args[1], args[2]});
    EXPECT_EQ(r.error, c.error);
    EXPECT_EQ(GetPrtfmt(), 4);
    EXPECT_STREQ(GetNewline(), "");
  }
  EXPECT_EQ(call("format", 1, {}).error, "Too many output arguments.");
}

TEST_F(FormatCommandTest, FormatWithoutArgumentsRestoresShortAndLoose) {
  setFormat("long", "e");
  setFormat("compact");
  EXPECT_EQ(call("format", 0, {}).error, "");
  EXPECT_EQ(GetPrtfmt(), 1);
  EXPECT_STREQ(GetNewline(), "\n");
}

}  // namespace
}  // namespace zqtest
