// The tokenizer. It keeps a stack of open brackets because the meaning of
// blanks, newlines, quotes and "end" depends on where they stand: inside
// [ ] and { } a blank can separate elements and a newline separates rows;
// inside ( ) both are plain white space.
#include "shell/lexer.h"

#include <array>
#include <cctype>
#include <new>

namespace zq::shell {
namespace {

constexpr std::array<std::string_view, 10> kKeywords = {"if",    "elseif", "else",     "end", "for",
                                                        "while", "break",  "continue", "try", "catch"};

// Operators, longest first so that the first match is the right one.
constexpr std::array<std::string_view, 33> kOperators = {
    "==", "~=", "!=", "<=", ">=", "&&", "||", ".*", "./", ".\\", ".^", ".'", "+", "-", "*", "/", "\\",
    "^",  "<",  ">",  "&",  "|",  "~",  "!",  "=",  "(",  ")",   "[",  "]",  "{", "}", ".", ":"};

bool isIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool isIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// "Invalid character 'c'", or with its code for a character that would not
// show (a NUL byte would even cut the message short).
std::string invalidCharacter(char c) {
  const auto code = static_cast<unsigned char>(c);
  if (code > ' ' && code < 127) return std::string("Invalid character '") + c + "'";
  return "Invalid character (code " + std::to_string(code) + ")";
}

bool isKeyword(std::string_view word) {
  for (std::string_view k : kKeywords) {
    if (k == word) return true;
  }
  return false;
}

class Lexer {
 public:
  Lexer(std::string_view s, bool commands, int firstLine) : src_(s), commands_(commands), line_(firstLine) {}

  std::vector<Token> run() {
    for (bool more = true; more;) {
      try {
        more = next();
      } catch (const std::bad_alloc &) {
        outOfMemory();
      }
    }
    emit(Tok::Eof, "");
    return std::move(out_);
  }

 private:
  std::string_view src_;
  bool commands_;
  size_t pos_ = 0;
  size_t lineStart_ = 0;
  size_t lineFirstToken_ = 0;  // index in out_ of the current line's first token
  int line_;
  std::vector<char> brackets_;
  std::vector<Token> out_;
  // The parameter list of an anonymous function, "@(a, b)": the depth of
  // its bracket while it is open, and whether it has just closed. What
  // follows it starts the function's expression, so a blank after it
  // separates no elements and a quote after it starts a string.
  std::vector<size_t> parameterDepths_;
  bool parametersClosed_ = false;

  // Reads the next token (or newline); false at the end of the text.
  bool next() {
    {
      const bool blank = skipSpace();
      if (pos_ >= src_.size()) return false;
      const char c = src_[pos_];
      if (c == '\n') {
        newline();
        return true;
      }
      const size_t before = out_.size();
      if (insideMatrix() && blank && endsValue() && startsElement()) emit(Tok::Comma, ",", true);
      const size_t start = pos_;
      const bool parametersBefore = parametersClosed_;
      if (isIdentStart(c)) {
        identifier();
      } else if (isDigit(c) || (c == '.' && pos_ + 1 < src_.size() && isDigit(src_[pos_ + 1]))) {
        number();
      } else if (c == '\'' && endsValue() && !(blank && insideMatrix())) {
        ++pos_;
        emit(Tok::Op, "'");
      } else if (c == '\'' || c == '"') {
        string(c);
      } else if (c == ';' || c == ',') {
        ++pos_;
        emit(c == ';' ? Tok::Semi : Tok::Comma, std::string(1, c));
      } else if (c == '@') {
        ++pos_;
        emit(Tok::Op, "@");
      } else if (!operatorToken()) {
        error(invalidCharacter(c), start);
        return true;
      }
      if (parametersBefore) parametersClosed_ = false;
      for (size_t i = before; i < out_.size(); ++i) {
        if (!out_[i].synthetic) {
          out_[i].blankBefore = blank;
          out_[i].column = static_cast<int>(start - lineStart_) + 1;
          out_[i].line = line_;
          out_[i].offset = start;
          out_[i].end = pos_;
        }
      }
    }
    return true;
  }

  // Memory ran out on the current line: its tokens are dropped (which gives
  // their memory back) and an Error token stands for the line, so that the
  // statements before it run and reading goes on after it.
  void outOfMemory() {
    out_.erase(out_.begin() + static_cast<std::ptrdiff_t>(lineFirstToken_), out_.end());
    out_.shrink_to_fit();
    emit(Tok::Error, "Out of memory.");
    out_.back().wholeMessage = true;
    while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
  }

  void emit(Tok kind, std::string text, bool synthetic = false) {
    Token t;
    t.kind = kind;
    t.text = std::move(text);
    t.line = line_;
    t.column = static_cast<int>(pos_ - lineStart_) + 1;
    t.synthetic = synthetic;
    out_.push_back(std::move(t));
  }

  void error(const std::string &message, size_t at) {
    const int column = static_cast<int>(at - lineStart_) + 1;
    emit(Tok::Error, message);
    out_.back().column = column;
    // The rest of the line is abandoned.
    while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
  }

  bool insideMatrix() const { return !brackets_.empty() && brackets_.back() != '('; }

  bool insideIndex() const {
    for (char b : brackets_) {
      if (b == '(' || b == '{') return true;
    }
    return false;
  }

  // True when the last token ends a value, so that a quote after it is a
  // transpose and a blank after it may end a matrix element.
  bool endsValue() const {
    if (out_.empty() || parametersClosed_) return false;
    const Token &t = out_.back();
    switch (t.kind) {
      case Tok::Number:
      case Tok::String:
      case Tok::Ident:
      case Tok::EndIndex: return true;
      case Tok::Op: return t.text == ")" || t.text == "]" || t.text == "}" || t.text == "'" || t.text == ".'";
      default: return false;
    }
  }

  // After a blank inside brackets: does the next character start a new
  // element? A sign starts one when no blank follows it ([1 -2] but
  // [1 - 2]); a binary operator or a closing bracket does not.
  bool startsElement() const {
    const char c = src_[pos_];
    const char next = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\n';
    if (c == '+' || c == '-') return !isBlank(next) && next != '\n' && next != '+' && next != '-';
    if (c == '~' || c == '!') return next != '=';
    if (c == '.') return isDigit(next);
    return isIdentChar(c) || c == '\'' || c == '"' || c == '(' || c == '[' || c == '{' || c == '@';
  }

  // Skips blanks, comments and continuations; true when anything was skipped.
  bool skipSpace() {
    bool skipped = false;
    while (pos_ < src_.size()) {
      const char c = src_[pos_];
      if (isBlank(c)) {
        ++pos_;
      } else if (c == '%' && lineIs("%{")) {
        blockComment();
      } else if (c == '%') {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      } else if (src_.substr(pos_, 3) == "...") {
        while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
        if (pos_ < src_.size()) {
          ++pos_;
          startLine();
        }
      } else {
        break;
      }
      skipped = true;
    }
    return skipped;
  }

  void startLine() {
    ++line_;
    lineStart_ = pos_;
    lineFirstToken_ = out_.size();
  }

  // True when the current line holds nothing but blanks and text, which
  // starts at pos_.
  bool lineIs(std::string_view text) const {
    for (size_t q = lineStart_; q < pos_; ++q) {
      if (!isBlank(src_[q])) return false;
    }
    if (src_.substr(pos_, text.size()) != text) return false;
    size_t p = pos_ + text.size();
    while (p < src_.size() && isBlank(src_[p])) ++p;
    return p >= src_.size() || src_[p] == '\n';
  }

  // %{ ... %} on lines of their own: everything between is a comment. The
  // position stops at the end of the closing line (or of the text).
  void blockComment() {
    while (pos_ < src_.size()) {
      while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
      if (pos_ >= src_.size()) return;
      ++pos_;
      startLine();
      size_t p = pos_;
      while (p < src_.size() && isBlank(src_[p])) ++p;
      if (src_.substr(p, 2) == "%}") {
        pos_ = p;
        if (lineIs("%}")) {
          while (pos_ < src_.size() && src_[pos_] != '\n') ++pos_;
          return;
        }
      }
    }
  }

  // A newline ends a statement, separates rows inside [ ] and { }, and is
  // white space inside ( ) that sits within a matrix. A newline inside ( )
  // elsewhere ends the statement too (the parser reports the open bracket).
  void newline() {
    if (insideMatrix()) {
      emit(Tok::Semi, ";", true);
    } else if (!brackets_.empty() && !hasMatrixBelow()) {
      brackets_.clear();
      parameterDepths_.clear();
      emit(Tok::Newline, "\n");
    } else if (brackets_.empty()) {
      emit(Tok::Newline, "\n");
    }
    ++pos_;
    startLine();
  }

  bool hasMatrixBelow() const {
    for (char b : brackets_) {
      if (b != '(') return true;
    }
    return false;
  }

  bool atStatementStart() const {
    if (!brackets_.empty()) return false;
    if (out_.empty()) return true;
    const Token &t = out_.back();
    if (t.kind == Tok::Newline || t.kind == Tok::Semi || t.kind == Tok::Comma) return true;
    return t.kind == Tok::Keyword && (t.text == "else" || t.text == "end" || t.text == "break" ||
                                      t.text == "continue" || t.text == "try" || t.text == "catch");
  }

  void identifier() {
    const size_t start = pos_;
    while (pos_ < src_.size() && isIdentChar(src_[pos_])) ++pos_;
    std::string word(src_.substr(start, pos_ - start));
    if (isKeyword(word)) {
      const bool endInIndex = word == "end" && insideIndex();
      emit(endInIndex ? Tok::EndIndex : Tok::Keyword, std::move(word));
      return;
    }
    if (commands_ && atStatementStart() && looksLikeCommand()) {
      command(std::move(word), start);
      return;
    }
    emit(Tok::Ident, std::move(word));
  }

  // After a name at the start of a statement: a blank, then something that
  // is not "=", "(", or an operator followed by a blank, makes the statement
  // a command ("format long", "cd ..", "disp -x").
  bool looksLikeCommand() const {
    size_t p = pos_;
    if (p >= src_.size() || !isBlank(src_[p])) return false;
    while (p < src_.size() && isBlank(src_[p])) ++p;
    if (p >= src_.size()) return false;
    const char c = src_[p];
    if (c == '\n' || c == ';' || c == ',' || c == '%' || c == '(') return false;
    if (src_.substr(p, 3) == "...") return false;
    if (c == '=' && !(p + 1 < src_.size() && src_[p + 1] == '=')) return false;
    if (c == '\'' || c == '"' || isIdentChar(c)) return true;
    for (std::string_view op : kOperators) {
      if (src_.substr(p, op.size()) == op) {
        // An operator that ends the statement ("format +") cannot start an
        // expression's right operand, so only a command makes sense.
        const size_t after = p + op.size();
        if (after >= src_.size() || endsCommand(src_[after]) || src_[after] == '%') return true;
        return !isBlank(src_[after]);
      }
    }
    return true;
  }

  // Reads the words of a command up to ';', ',', a comment or the end of
  // the line. Quoted parts keep their blanks ('' is a quote).
  void command(std::string name, size_t start) {
    Token t;
    t.kind = Tok::Command;
    t.text = std::move(name);
    t.line = line_;
    t.column = static_cast<int>(start - lineStart_) + 1;
    while (true) {
      while (pos_ < src_.size() && isBlank(src_[pos_])) ++pos_;
      if (pos_ >= src_.size() || endsCommand(src_[pos_]) || src_[pos_] == '%') break;
      std::string word;
      while (pos_ < src_.size() && !isBlank(src_[pos_]) && !endsCommand(src_[pos_])) {
        if (src_[pos_] != '\'') {
          word += src_[pos_++];
        } else if (!quotedPart(word)) {
          return;
        }
      }
      t.words.push_back(std::move(word));
    }
    t.raw = std::string(src_.substr(start, pos_ - start));
    out_.push_back(std::move(t));
  }

  static bool endsCommand(char c) { return c == '\n' || c == ';' || c == ','; }

  // Appends the text of the quoted part at pos_ to word; false (with an
  // Error token) when the line ends first.
  bool quotedPart(std::string &word) {
    const size_t open = pos_++;
    while (pos_ < src_.size() && src_[pos_] != '\n') {
      if (src_[pos_] != '\'') {
        word += src_[pos_++];
      } else if (pos_ + 1 < src_.size() && src_[pos_ + 1] == '\'') {
        word += '\'';
        pos_ += 2;
      } else {
        ++pos_;
        return true;
      }
    }
    error("Unterminated string", open);
    return false;
  }

  // A number: digits, a fraction, an exponent, and an i or j suffix. A dot
  // that starts an element-wise operator (1./x, 2.^n, 3.') is left alone.
  void number() {
    const size_t start = pos_;
    auto digits = [&] {
      while (pos_ < src_.size() && isDigit(src_[pos_])) ++pos_;
    };
    digits();
    if (pos_ < src_.size() && src_[pos_] == '.') {
      const char next = pos_ + 1 < src_.size() ? src_[pos_ + 1] : '\0';
      const bool operatorDot = next == '*' || next == '/' || next == '\\' || next == '^' || next == '\'';
      if (!operatorDot) {
        ++pos_;
        digits();
      }
    }
    if (pos_ < src_.size() && (src_[pos_] == 'e' || src_[pos_] == 'E' || src_[pos_] == 'd' || src_[pos_] == 'D')) {
      size_t p = pos_ + 1;
      if (p < src_.size() && (src_[p] == '+' || src_[p] == '-')) ++p;
      if (p < src_.size() && isDigit(src_[p])) {
        pos_ = p;
        digits();
      }
    }
    std::string text(src_.substr(start, pos_ - start));
    for (char &ch : text) {
      if (ch == 'd' || ch == 'D') ch = 'e';
    }
    if (pos_ < src_.size() && (src_[pos_] == 'i' || src_[pos_] == 'j') &&
        !(pos_ + 1 < src_.size() && isIdentChar(src_[pos_ + 1]))) {
      ++pos_;
      text += 'i';
    }
    if (pos_ < src_.size() && isIdentChar(src_[pos_])) {
      error("Invalid number", start);
      return;
    }
    emit(Tok::Number, std::move(text));
  }

  void string(char quote) {
    const size_t open = pos_++;
    std::string text;
    while (pos_ < src_.size() && src_[pos_] != '\n') {
      if (src_[pos_] == quote) {
        if (pos_ + 1 < src_.size() && src_[pos_ + 1] == quote) {
          text += quote;
          pos_ += 2;
          continue;
        }
        ++pos_;
        emit(Tok::String, std::move(text));
        return;
      }
      text += src_[pos_++];
    }
    error("Unterminated string", open);
  }

  bool operatorToken() {
    for (std::string_view op : kOperators) {
      if (src_.substr(pos_, op.size()) != op) continue;
      pos_ += op.size();
      const char c = op[0];
      if (op.size() == 1 && (c == '(' || c == '[' || c == '{')) {
        const bool parameters = c == '(' && !out_.empty() && out_.back().kind == Tok::Op && out_.back().text == "@";
        brackets_.push_back(c);
        if (parameters) parameterDepths_.push_back(brackets_.size());
      }
      if (op.size() == 1 && (c == ')' || c == ']' || c == '}')) {
        const char open = c == ')' ? '(' : c == ']' ? '[' : '{';
        if (!parameterDepths_.empty() && parameterDepths_.back() == brackets_.size() && c == ')') {
          parameterDepths_.pop_back();
          parametersClosed_ = true;
        }
        if (!brackets_.empty() && brackets_.back() == open) brackets_.pop_back();
      }
      emit(Tok::Op, std::string(op));
      return true;
    }
    return false;
  }
};

}  // namespace

std::string position(int line, int column) {
  if (line <= 1) return "column " + std::to_string(column);
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::vector<Token> tokenize(std::string_view source, bool commands, int firstLine) {
  return Lexer(source, commands, firstLine).run();
}

}  // namespace zq::shell
