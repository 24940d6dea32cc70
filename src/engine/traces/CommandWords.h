// How the text of a command line falls into words: as a program receives its
// arguments, as cmd reads its own line, and as script code runs. Only as far as it
// takes to find the names in it; nothing here is run or looked up.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dw {

inline bool IsBlank(wchar_t c) { return c == L' ' || (c >= 0x09 && c <= 0x0D); }
inline bool IsLineBreak(wchar_t c) { return c == L'\r' || c == L'\n'; }
inline bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// One word of a command line as a program receives it, and where its text starts.
struct TArg {
  std::wstring text;
  size_t begin = 0;
};

// CommandLineToArgvW's reading, near enough: blanks separate words, double quotes
// group them and are dropped.
std::vector<TArg> SplitArguments(std::wstring_view text);

// A word of a cmd line, carets and quotes taken away.
struct TCmdWord {
  std::wstring text;
  size_t begin = 0;
  bool quoted = false;  // begins with a quote: start takes it for a window title
};

// A simple command of a cmd line: its words and the files its redirections name.
struct TCmdCommand {
  std::vector<TCmdWord> words;
  std::vector<TCmdWord> inputs;
  std::vector<TCmdWord> outputs;
  size_t end = 0;  // where its text ends in the line
};

// The simple commands of a cmd line, split at "&", "|", "&&", "||", line breaks and
// the parentheses of blocks.
std::vector<TCmdCommand> SplitCmdLine(std::wstring_view line);

// A token of script code (PowerShell, the VBScript or JScript of mshta): a word, a
// quoted string's content, or the end of a statement.
struct TScriptToken {
  std::wstring text;
  size_t begin = 0;
  bool string = false;
  bool statementEnd = false;
};

std::vector<TScriptToken> SplitScript(std::wstring_view code);

}  // namespace dw
