// The tokenizer of the zq language: turns source text into tokens, telling
// the transpose quote from a string quote, separating matrix elements by
// blanks, and recognising command syntax ("format long e") at the start of
// a statement.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zq::shell {

enum class Tok {
  Number,    // text: the literal; imaginary when it ends in i or j
  String,    // text: the contents, '' already folded to '
  Ident,     // text: the name
  Keyword,   // text: if elseif else end for while break continue try catch
  EndIndex,  // "end" inside an index
  Command,   // text: the command name; words: its arguments
  Op,        // text: an operator or punctuation ( ) [ ] { } . @ = etc.
  Comma,     // ',' (also an element separator made from blanks in brackets)
  Semi,      // ';' (in brackets, also a row separator made from a newline)
  Newline,   // end of a statement line
  Error,     // text: a message about malformed input (the parser raises it)
  Eof
};

struct Token {
  Tok kind;
  std::string text;
  std::vector<std::string> words;  // Command only
  std::string raw;                 // Command only: the statement's source text
  int line = 1;
  int column = 1;
  size_t offset = 0;          // where the token starts in the source text
  size_t end = 0;             // and where it ends (not for synthetic tokens)
  bool blankBefore = false;   // white space precedes the token
  bool synthetic = false;     // a separator the tokenizer inserted
  bool wholeMessage = false;  // Error only: text is the whole message, with no place to add
};

// Splits the whole text into tokens ending with Eof. Malformed input (an
// unterminated string, a character that starts no token) becomes an Error
// token (its text the problem, without a period) at its line and column,
// which the parser raises when it reaches it, so that the statements
// before it still run.
// commands false reads every statement as an expression (a command whose
// name turned out to be a variable is read again so).
// firstLine numbers the first line of source.
std::vector<Token> tokenize(std::string_view source, bool commands = true, int firstLine = 1);

// "line L, column C", or "column C" for the first line.
std::string position(int line, int column);

}  // namespace zq::shell
