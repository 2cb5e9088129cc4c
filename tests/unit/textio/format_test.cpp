// The two directive grammars: which directives each accepts, and how an
// input directive is rewritten for the C library.
#include "textio/format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace zq::textio;

// The first piece of a format, parsed by the grammar of Directive.
template <class Directive>
struct FirstPiece {
  explicit FirstPiece(const char *text) : format(text), cursor(format) { code = cursor.next(piece); }
  std::string format;
  FormatCursor cursor;
  const Directive *piece = nullptr;
  int code = kErrNone;
};
using OutputPiece = FirstPiece<OutputDirective>;
using InputPiece = FirstPiece<InputDirective>;

TEST(FormatGrammar, AcceptsAndRejectsDirectivesOfEachEngine) {
  const struct {
    const char *directive;
    bool output, input;
  } cases[] = {
      {"%-+d", true, false},   {"%--d", false, false}, {"%05.2f", true, false},  {"%.3c", false, false},
      {"%.*c", false, false},  {"%hf", false, true},   {"%ld", true, true},      {"%lx", true, true},
      {"%tf", false, false},   {"%bd", false, false},  {"%tx", true, false},     {"%bX", true, false},
      {"%n", false, false},    {"%p", false, false},   {"%5.", false, false},    {"%", false, false},
      {"%-", false, false},    {"%l", false, false},   {"%[]abc]", false, true}, {"%[^]abc]", false, true},
      {"%[abc", false, false}, {"%0d", true, false},   {"%05d", true, true},     {"%*5d", false, true},
      {"%*d", true, true},     {"%hs", false, false},  {"%.-d", false, false},   {"%ls", false, false},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(OutputPiece(c.directive).code == kErrNone, c.output) << "output " << c.directive;
    EXPECT_EQ(InputPiece(c.directive).code == kErrNone, c.input) << "input " << c.directive;
  }
}

TEST(FormatGrammar, RewritesInputDirectivesForTheCLibrary) {
  const struct {
    const char *directive, *text, *set;
    int width;
    bool skip;
  } cases[] = {
      {"%5e", "%5le", "", 5, false},      {"%he", "%e", "", -1, false},     {"%lf", "%lf", "", -1, false},
      {"%*3d", "%3d", "", 3, true},       {"%hx", "%hx", "", -1, false},    {"%li", "%i", "", -1, false},
      {"%[]a-c]", "", "]a-c", -1, false}, {"%2[^]x]", "", "^]x", 2, false},
  };
  for (const auto &c : cases) {
    const InputPiece parsed(c.directive);
    ASSERT_EQ(parsed.code, kErrNone) << c.directive;
    const InputDirective *d = parsed.piece;
    EXPECT_STREQ(d->text, c.text) << c.directive;
    EXPECT_EQ(d->set, c.set) << c.directive;
    EXPECT_EQ(d->width, c.width) << c.directive;
    EXPECT_EQ(d->skip, c.skip) << c.directive;
  }
}

TEST(FormatGrammar, CutsLiteralRunsAndUsesTheFormatAgain) {
  FormatCursor cursor("a%%b%dc");
  const OutputDirective *piece = nullptr;
  const std::string_view expected[] = {"a%%b", "", "c", "a%%b"};
  for (std::string_view literal : expected) {
    ASSERT_EQ(cursor.next(piece), kErrNone);
    EXPECT_EQ(piece->literal, literal);
    EXPECT_EQ(piece->conversion == OutConversion::kLiteral, !literal.empty());
  }
  char out[8];
  EXPECT_EQ(std::string(out, copyLiteral("a%%b", out)), "a%b");
}

}  // namespace
