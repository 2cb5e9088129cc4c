// Help at the prompt: the help table names exactly the functions the prompt
// knows, and what help prints for the list and for one function.
#include "shell/help.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "shell/evaluator.h"
#include "shell/script_runner.h"
#include "support/host_fixture.h"

namespace zq::shell {
namespace {

TEST(Help, EveryBuiltinAndHostFunctionHasOneRowAndEveryRowOneFunction) {
  zqtest::registerBuiltins();
  std::set<std::string> functions;
  // Other tests of this program register builtins of their own.
  const std::set<std::string_view> testOnly = {"failing", "probe_arguments", "test_interrupted"};
  for (std::string_view name : zqhost::registeredBuiltinNames()) {
    if (testOnly.count(name) == 0) functions.insert(std::string(name));
  }
  for (const HostFunction &f : hostFunctions()) functions.insert(f.name);
  std::set<std::string> rows;
  for (const HelpEntry &e : helpEntries()) {
    EXPECT_TRUE(rows.insert(e.name).second) << "two rows for " << e.name;
    EXPECT_TRUE(functions.count(e.name) == 1) << "a row for no function: " << e.name;
    EXPECT_FALSE(std::string(e.summary).empty()) << e.name;
    EXPECT_EQ(std::string(e.summary).find('\n'), std::string::npos) << e.name;
    EXPECT_FALSE(std::string(e.usage).empty()) << e.name;
  }
  for (const std::string &name : functions) EXPECT_TRUE(rows.count(name) == 1) << "no help for " << name;
}

TEST(Help, TheListingHasOneLinePerFunctionUnderItsKind) {
  zqtest::registerBuiltins();
  const std::string listing = helpListing();
  const size_t builtins = listing.find("Builtins of libzqbuiltins:");
  const size_t shell = listing.find("Functions of the zq shell:");
  ASSERT_NE(builtins, std::string::npos);
  ASSERT_NE(shell, std::string::npos);
  EXPECT_NE(listing.find("\n  fopen       open a file"), std::string::npos);
  EXPECT_LT(listing.find("\n  fopen "), shell);
  EXPECT_GT(listing.find("\n  zeros "), shell);
  // Sorted with case folded: Inf comes between imag and isempty.
  EXPECT_LT(listing.find("\n  imag "), listing.find("\n  Inf "));
  EXPECT_LT(listing.find("\n  Inf "), listing.find("\n  isempty "));
}

TEST(Help, OneFunctionShowsItsSummaryAndIndentedForms) {
  zqtest::registerBuiltins();
  EXPECT_EQ(helpText(*findHelp("fclose")),
            "fclose (builtin): close a file or all files\n\n"
            "    status = fclose(fid)              0 when closed, -1 when closing failed\n"
            "    status = fclose('all')\n\n");
  EXPECT_EQ(helpText(*findHelp("numel")).substr(0, 34), "numel (zq shell): the number of el");
}

TEST(Help, AskingForSomethingThatIsNoFunctionSaysWhatItIs) {
  EXPECT_EQ(test::errorOf("x = 1; help x"), "'x' is a variable; whos shows it.");
  EXPECT_EQ(test::errorOf("help nothing_here"), "No function is called 'nothing_here'; help lists them all.");
  EXPECT_EQ(test::errorOf("help('fopen', 'more')"), "Too many input arguments.");
}

}  // namespace
}  // namespace zq::shell
