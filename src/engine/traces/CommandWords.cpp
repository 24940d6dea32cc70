#include "engine/traces/CommandWords.h"

namespace dw {

namespace {

bool EndsCmdWord(wchar_t c, bool inBlock) {
  return IsBlank(c) || c == L'&' || c == L'|' || c == L'<' || c == L'>' || (inBlock && c == L')');
}

// The word at i, which is no separator; i moves past it.
TCmdWord ReadCmdWord(std::wstring_view line, size_t& i, bool inBlock) {
  TCmdWord word;
  word.begin = i;
  word.quoted = line[i] == L'"';
  bool quoted = false;
  while (i < line.size()) {
    wchar_t c = line[i];
    if (c == L'"') {
      quoted = !quoted;
      ++i;
      continue;
    }
    if (!quoted && EndsCmdWord(c, inBlock)) break;
    if (!quoted && c == L'^' && i + 1 < line.size()) {
      word.text.push_back(line[i + 1]);
      i += 2;
      continue;
    }
    word.text.push_back(c);
    ++i;
  }
  return word;
}

bool IsScriptPunctuation(wchar_t c) { return std::wstring_view(L"(){}[],=+;|&'\"").find(c) != std::wstring_view::npos; }

}  // namespace

std::vector<TArg> SplitArguments(std::wstring_view text) {
  std::vector<TArg> args;
  size_t i = 0;
  while (i < text.size()) {
    if (IsBlank(text[i])) {
      ++i;
      continue;
    }
    TArg arg;
    arg.begin = i;
    bool quoted = false;
    for (; i < text.size() && (quoted || !IsBlank(text[i])); ++i) {
      if (text[i] == L'"') {
        quoted = !quoted;
      } else {
        arg.text.push_back(text[i]);
      }
    }
    args.push_back(std::move(arg));
  }
  return args;
}

std::vector<TCmdCommand> SplitCmdLine(std::wstring_view line) {
  std::vector<TCmdCommand> commands;
  TCmdCommand command;
  int blocks = 0;
  size_t i = 0;
  auto finish = [&] {
    command.end = i;
    if (!command.words.empty() || !command.inputs.empty() || !command.outputs.empty()) {
      commands.push_back(std::move(command));
    }
    command = {};
  };
  while (i < line.size()) {
    wchar_t c = line[i];
    if (IsLineBreak(c) || c == L'&' || c == L'|' || (c == L')' && blocks > 0)) {
      finish();
      if (c == L')') --blocks;
      ++i;
    } else if (IsBlank(c)) {
      ++i;
    } else if (command.words.empty() && (c == L'(' || c == L'@')) {
      if (c == L'(') ++blocks;
      ++i;
    } else if (c == L'<' || c == L'>') {
      ++i;
      if (c == L'>' && i < line.size() && line[i] == L'>') ++i;
      if (i < line.size() && line[i] == L'&') {  // ">&1": a handle, no file
        ++i;
        if (i < line.size() && IsDigit(line[i])) ++i;
        continue;
      }
      while (i < line.size() && IsBlank(line[i]) && !IsLineBreak(line[i])) ++i;
      if (i < line.size() && !EndsCmdWord(line[i], blocks > 0)) {
        (c == L'<' ? command.inputs : command.outputs).push_back(ReadCmdWord(line, i, blocks > 0));
      }
    } else if (IsDigit(c) && i + 1 < line.size() && line[i + 1] == L'>') {
      ++i;  // "2>x": the handle's number
    } else {
      command.words.push_back(ReadCmdWord(line, i, blocks > 0));
    }
  }
  finish();
  return commands;
}

std::vector<TScriptToken> SplitScript(std::wstring_view code) {
  std::vector<TScriptToken> tokens;
  size_t i = 0;
  while (i < code.size()) {
    wchar_t c = code[i];
    TScriptToken token;
    token.begin = i;
    if (c == L';' || c == L'|' || IsLineBreak(c)) {
      token.statementEnd = true;
      ++i;
    } else if (IsBlank(c) || std::wstring_view(L"(){}[],=+").find(c) != std::wstring_view::npos) {
      ++i;
      continue;
    } else if (c == L'\'' || c == L'"') {
      token.string = true;
      for (++i; i < code.size() && code[i] != c; ++i) {
        if (c == L'"' && code[i] == L'`' && i + 1 < code.size()) ++i;
        token.text.push_back(code[i]);
      }
      if (i < code.size()) ++i;
    } else if (c == L'&' || (c == L'.' && (i + 1 == code.size() || IsBlank(code[i + 1]) || code[i + 1] == L'\'' ||
                                           code[i + 1] == L'"'))) {
      token.text.push_back(c);  // the call and dot-source operators
      ++i;
    } else {
      for (; i < code.size() && !IsBlank(code[i]) && !IsScriptPunctuation(code[i]); ++i) {
        if (code[i] == L'`' && i + 1 < code.size()) ++i;
        token.text.push_back(code[i]);
      }
    }
    tokens.push_back(std::move(token));
  }
  return tokens;
}

}  // namespace dw
