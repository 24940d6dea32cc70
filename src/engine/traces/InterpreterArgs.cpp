#include "engine/traces/InterpreterArgs.h"

#include <algorithm>
#include <unordered_map>

#include "common/Text.h"
#include "engine/traces/CommandWords.h"

namespace dw {

namespace {

// Command lines inside command lines (cmd /c start powershell -c "...") are read
// this deep; a deeper chain is crafted, and what lies below is a scan error.
constexpr int kMaxDepth = 6;
// Distinct names kept per shortcut, each a few look-ups on the drive. The 259
// characters that the Properties dialog shows hold fewer; arguments that hold more
// are padded, and what was not looked at is a scan error.
constexpr size_t kMaxNames = 256;
// Characters read in all, nested readings included: many times the longest
// arguments a shortcut holds, and a bound however the readings nest.
constexpr size_t kMaxWork = 1u << 20;

struct TInterpreterName {
  std::wstring_view name;
  TInterpreterKind kind;
};

// Programs of the PC that run what their command line names. A shortcut to one of
// them is how today's worms start from a stick: the target is a genuine program,
// and the worm is only named in the arguments.
constexpr TInterpreterName kInterpreters[] = {
    // Command interpreters: the arguments are a program.
    {L"cmd.exe", TInterpreterKind::Shell},
    {L"powershell.exe", TInterpreterKind::PowerShell},
    {L"powershell_ise.exe", TInterpreterKind::PowerShell},
    {L"pwsh.exe", TInterpreterKind::PowerShell},
    // It hands its argument to PowerShell.
    {L"syncappvpublishingserver.exe", TInterpreterKind::PowerShell},
    // Script hosts: they run a script whatever its extension (trash.dll).
    {L"wscript.exe", TInterpreterKind::ScriptHost},
    {L"cscript.exe", TInterpreterKind::ScriptHost},
    {L"mshta.exe", TInterpreterKind::Mshta},
    // Loaders: what they are given runs as code inside them or through them (a
    // library, a package, a control panel item, compiled help with script, an INF
    // file's commands, an assembly's installer, a project's inline tasks).
    {L"rundll32.exe", TInterpreterKind::Rundll},
    {L"regsvr32.exe", TInterpreterKind::Loader},
    {L"msiexec.exe", TInterpreterKind::Loader},
    {L"control.exe", TInterpreterKind::Loader},
    {L"hh.exe", TInterpreterKind::Loader},
    {L"cmstp.exe", TInterpreterKind::Loader},
    {L"infdefaultinstall.exe", TInterpreterKind::Loader},
    {L"installutil.exe", TInterpreterKind::Loader},
    {L"regasm.exe", TInterpreterKind::Loader},
    {L"regsvcs.exe", TInterpreterKind::Loader},
    {L"msbuild.exe", TInterpreterKind::Loader},
    {L"bash.exe", TInterpreterKind::Loader},
    {L"wsl.exe", TInterpreterKind::Loader},
    // Starters: they start the program they are given.
    {L"conhost.exe", TInterpreterKind::Console},
    {L"forfiles.exe", TInterpreterKind::ForFiles},
    {L"pcalua.exe", TInterpreterKind::Pcalua},
    // Opening a folder is what explorer is for; only a program it is given counts.
    {L"explorer.exe", TInterpreterKind::Explorer},
};

// cmd's own commands: what follows them is named, not started by them.
constexpr std::wstring_view kBuiltins[] = {
    L"assoc",    L"break", L"cd",   L"chdir",  L"cls",   L"color", L"copy",   L"date", L"del",    L"dir",    L"echo",
    L"endlocal", L"erase", L"exit", L"for",    L"ftype", L"goto",  L"if",     L"md",   L"mkdir",  L"mklink", L"move",
    L"path",     L"pause", L"popd", L"prompt", L"pushd", L"rd",    L"rem",    L"ren",  L"rename", L"rmdir",  L"set",
    L"setlocal", L"shift", L"time", L"title",  L"type",  L"ver",   L"verify", L"vol"};

// PowerShell commands whose next word is a file read or run as code.
constexpr std::wstring_view kCodeReaders[] = {L"get-content",   L"gc",   L"cat", L"type",
                                              L"import-module", L"ipmo", L"&",   L"."};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
bool HasBlank(std::wstring_view text) { return std::any_of(text.begin(), text.end(), IsBlank); }
bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

template <size_t N>
bool IsOneOf(std::wstring_view word, const std::wstring_view (&list)[N]) {
  return std::find(std::begin(list), std::end(list), word) != std::end(list);
}

// The program's file name as Windows finds it: no folder, no quotes, no stream
// ("cmd.exe::$DATA"), no trailing dots or blanks; lower case, ".exe" when it has no
// extension.
std::wstring ProgramFileName(std::wstring_view path) {
  size_t slash = path.find_last_of(L"\\/");
  std::wstring_view last = slash == std::wstring_view::npos ? path : path.substr(slash + 1);
  std::wstring name;
  for (wchar_t c : last) {
    if (c != L'"') name.push_back(c);
  }
  if (name.size() >= 2 && name[1] == L':' && IsAsciiLetter(name[0])) name.erase(0, 2);
  name = name.substr(0, name.find(L':'));
  while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) name.pop_back();
  name = AsciiLower(name);
  if (name == L"%comspec%") return L"cmd.exe";
  if (!name.empty() && ExtensionPart(name).empty()) name += L".exe";
  return name;
}

// "POWERS~1.EXE": the short name that Windows also gives a long one.
bool IsShortNameOf(std::wstring_view shortName, std::wstring_view longName) {
  size_t tilde = shortName.find(L'~');
  if (tilde == 0 || tilde > 6 || tilde == std::wstring_view::npos) return false;
  size_t dot = shortName.find(L'.', tilde);
  if (dot == std::wstring_view::npos || shortName.substr(dot) != L".exe" || dot == tilde + 1) return false;
  for (size_t k = tilde + 1; k < dot; ++k) {
    if (!IsDigit(shortName[k])) return false;
  }
  std::wstring_view stem = longName.substr(0, longName.size() - 4);
  return stem.size() > 8 && StartsWith(stem, shortName.substr(0, tilde));
}

// "vbscript:...", "javascript:...", "http://...": code or an address, no file. A
// drive letter is no scheme.
bool HasScheme(std::wstring_view text) {
  size_t colon = text.find(L':');
  if (colon == std::wstring_view::npos || colon < 2) return false;
  return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), IsAsciiLetter);
}

// PowerShell takes any leading part of a parameter's name that is long enough.
bool IsParameter(std::wstring_view given, std::wstring_view full, size_t least) {
  return given.size() >= least && StartsWith(full, given);
}

class TReader {
 public:
  void Read(TInterpreterKind kind, std::wstring_view text, int depth);
  TArgumentReading Take() { return std::move(FOut); }

 private:
  // Counts chars against the reading's budget; false, and the reading cut, once it is spent.
  bool Spend(size_t chars);
  void Add(std::wstring_view text, THandover how);
  void AddAll(const std::vector<TArg>& args, size_t from, THandover how);
  void ReadShell(std::wstring_view text, int depth);
  void ReadCmdLine(std::wstring_view line, int depth);
  void ReadCommand(std::wstring_view line, const TCmdCommand& command, size_t at, int depth);
  void ReadStart(std::wstring_view line, const TCmdCommand& command, size_t at, int depth);
  void ReadPowerShell(std::wstring_view text, int depth);
  void ReadScriptCode(std::wstring_view code, int depth);
  void ReadScriptHost(std::wstring_view text);
  void ReadMshta(std::wstring_view text, int depth);
  void ReadRundll(std::wstring_view text, int depth);
  void ReadLoader(std::wstring_view text);
  void ReadConsole(std::wstring_view text, int depth);
  void ReadForFiles(std::wstring_view text, int depth);
  void ReadPcalua(std::wstring_view text, int depth);
  void ReadExplorer(std::wstring_view text, int depth);

  TArgumentReading FOut;
  std::unordered_map<std::wstring, size_t> FIndex;  // lower-case text -> FOut.names
  size_t FWork = 0;
};

bool TReader::Spend(size_t chars) {
  FWork += chars;
  if (FWork <= kMaxWork) return true;
  FOut.cut = true;
  return false;
}

void TReader::Add(std::wstring_view text, THandover how) {
  size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) ++first;
  size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) --last;
  text = text.substr(first, last - first);
  // A word that starts with "/" is a switch of the program, never a name.
  if (text.empty() || text[0] == L'/') return;
  std::wstring key = ToLower(text);
  auto known = FIndex.find(key);
  if (known != FIndex.end()) {
    THandover& held = FOut.names[known->second].how;
    held = std::max(held, how);
    return;
  }
  if (FOut.names.size() >= kMaxNames) {
    FOut.cut = true;
    return;
  }
  FIndex.emplace(std::move(key), FOut.names.size());
  FOut.names.push_back({std::wstring(text), how});
}

void TReader::AddAll(const std::vector<TArg>& args, size_t from, THandover how) {
  for (size_t k = from; k < args.size(); ++k) Add(args[k].text, how);
}

void TReader::Read(TInterpreterKind kind, std::wstring_view text, int depth) {
  if (depth > kMaxDepth) {
    FOut.cut = true;
    return;
  }
  if (!Spend(text.size())) return;
  switch (kind) {
    case TInterpreterKind::Shell: ReadShell(text, depth); return;
    case TInterpreterKind::PowerShell: ReadPowerShell(text, depth); return;
    case TInterpreterKind::ScriptHost: ReadScriptHost(text); return;
    case TInterpreterKind::Mshta: ReadMshta(text, depth); return;
    case TInterpreterKind::Rundll: ReadRundll(text, depth); return;
    case TInterpreterKind::Loader: ReadLoader(text); return;
    case TInterpreterKind::Console: ReadConsole(text, depth); return;
    case TInterpreterKind::ForFiles: ReadForFiles(text, depth); return;
    case TInterpreterKind::Pcalua: ReadPcalua(text, depth); return;
    case TInterpreterKind::Explorer: ReadExplorer(text, depth); return;
  }
}

// cmd's switches come first; /c, /k or /r ends them, and its command line starts
// right after the letter ("/rcMD<x" runs "cMD<x").
void TReader::ReadShell(std::wstring_view text, int depth) {
  size_t pos = 0;
  for (;;) {
    while (pos < text.size() && IsBlank(text[pos])) ++pos;
    if (pos + 1 >= text.size() || text[pos] != L'/') break;
    wchar_t letter = static_cast<wchar_t>(text[pos + 1] | 0x20);
    pos += 2;
    if (letter == L'c' || letter == L'k' || letter == L'r') break;
    while (pos < text.size() && !IsBlank(text[pos]) && text[pos] != L'/') ++pos;
  }
  std::wstring_view line = text.substr(std::min(pos, text.size()));
  ReadCmdLine(line, depth);
  // cmd drops the quotes around the whole line unless they enclose a program's
  // name, which only the drive can tell: both readings are taken.
  size_t first = line.find_first_not_of(L" \t");
  size_t last = line.rfind(L'"');
  if (first != std::wstring_view::npos && line[first] == L'"' && last > first) {
    std::wstring stripped(line.substr(first + 1, last - first - 1));
    stripped += line.substr(last + 1);
    ReadCmdLine(stripped, depth);
  }
}

void TReader::ReadCmdLine(std::wstring_view line, int depth) {
  if (!Spend(line.size())) return;
  for (const TCmdCommand& command : SplitCmdLine(line)) ReadCommand(line, command, 0, depth);
}

// The command at word at of a cmd command, and what it is given.
void TReader::ReadCommand(std::wstring_view line, const TCmdCommand& command, size_t at, int depth) {
  if (depth > kMaxDepth) {
    FOut.cut = true;
    return;
  }
  const std::vector<TCmdWord>& words = command.words;
  for (const TCmdWord& output : command.outputs) Add(output.text, THandover::Word);
  THandover input = THandover::Word;
  if (at < words.size()) {
    const std::wstring verb = AsciiLower(words[at].text);
    if (verb == L"start") {
      ReadStart(line, command, at + 1, depth + 1);
      return;
    }
    if (verb == L"call") {
      ReadCommand(line, command, at + 1, depth + 1);
      return;
    }
    std::optional<TInterpreter> interpreter = IsOneOf(verb, kBuiltins) ? std::nullopt : InterpreterNamed(verb);
    if (interpreter) {
      size_t from = at + 1 < words.size() ? words[at + 1].begin : command.end;
      Read(interpreter->kind, line.substr(from, command.end - from), depth + 1);
      // cmd or PowerShell given nothing to run reads its commands from its input.
      bool readsInput =
          interpreter->kind == TInterpreterKind::Shell || interpreter->kind == TInterpreterKind::PowerShell;
      for (size_t k = at + 1; k < words.size() && readsInput; ++k) {
        const std::wstring& word = words[k].text;
        bool runs =
            word.size() >= 2 && word[0] == L'/' && std::wstring_view(L"cCkKrR").find(word[1]) != std::wstring::npos;
        readsInput = !runs && (StartsWith(word, L"/") || StartsWith(word, L"-"));
      }
      if (readsInput) input = THandover::Code;
    } else {
      if (!IsOneOf(verb, kBuiltins)) Add(words[at].text, THandover::Command);
      for (size_t k = at + 1; k < words.size(); ++k) Add(words[k].text, THandover::Word);
    }
  }
  for (const TCmdWord& file : command.inputs) Add(file.text, input);
}

// start ["title"] [/d folder] [/min ...] command [arguments]
void TReader::ReadStart(std::wstring_view line, const TCmdCommand& command, size_t at, int depth) {
  const std::vector<TCmdWord>& words = command.words;
  size_t k = at;
  if (k < words.size() && words[k].quoted) ++k;
  while (k < words.size() && StartsWith(words[k].text, L"/")) {
    const std::wstring option = AsciiLower(words[k].text);
    if (option == L"/d" && k + 1 < words.size()) {
      Add(words[++k].text, THandover::Word);
    } else if (StartsWith(option, L"/d")) {
      Add(std::wstring_view(words[k].text).substr(2), THandover::Word);
    } else if (option == L"/node" || option == L"/affinity") {
      ++k;
    }
    ++k;
  }
  ReadCommand(line, command, k, depth);
}

void TReader::ReadPowerShell(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i].text;
    if (arg.size() < 2 || (arg[0] != L'-' && arg[0] != L'/')) {
      // The first word that is no parameter starts the code (-Command is the default).
      ReadScriptCode(text.substr(args[i].begin), depth);
      return;
    }
    const std::wstring p = AsciiLower(std::wstring_view(arg).substr(1));
    const bool hasValue = i + 1 < args.size();
    const std::wstring value = hasValue ? AsciiLower(args[i + 1].text) : std::wstring();
    if (IsParameter(p, L"file", 1)) {
      if (hasValue) Add(args[i + 1].text, THandover::Code);
      AddAll(args, i + 2, THandover::Word);
      return;
    }
    if (IsParameter(p, L"command", 1)) {
      if (hasValue) ReadScriptCode(text.substr(args[i + 1].begin), depth);
      return;
    }
    if (p == L"e" || p == L"ec" || IsParameter(p, L"encodedcommand", 2)) {
      FOut.hiddenWindow = true;  // code that nobody can read in the shortcut
      ++i;
    } else if (IsParameter(p, L"windowstyle", 1)) {
      bool named = value.size() >= 3 && (StartsWith(L"hidden", value) || StartsWith(L"minimized", value));
      if (named || value == L"1" || value == L"2") FOut.hiddenWindow = true;
      ++i;
    } else if (p == L"wd" || IsParameter(p, L"workingdirectory", 2)) {
      if (hasValue) Add(args[i + 1].text, THandover::Word);
      ++i;
    } else if (p == L"ep" || p == L"if" || p == L"of" || p == L"ea" || IsParameter(p, L"executionpolicy", 2) ||
               IsParameter(p, L"version", 1) || IsParameter(p, L"inputformat", 2) ||
               IsParameter(p, L"outputformat", 1) || IsParameter(p, L"configurationname", 3) ||
               IsParameter(p, L"custompipename", 2) || IsParameter(p, L"settingsfile", 2) ||
               IsParameter(p, L"psconsolefile", 2) || IsParameter(p, L"encodedarguments", 8)) {
      ++i;  // a parameter with a value that names no file
    }
    // Anything else is a switch: -NoLogo, -NoProfile, -NonInteractive, -NoExit, -Sta...
  }
}

// Script code is not parsed, only read for names: what a command that reads or
// runs code is given (gc x, . x, & x), what a program started from the code is
// given, and any other word or string. A string with blanks may be code or a
// command line of its own (iex 'gc x | iex', -ArgumentList '/c x.exe').
void TReader::ReadScriptCode(std::wstring_view code, int depth) {
  if (depth > kMaxDepth) {
    FOut.cut = true;
    return;
  }
  if (!Spend(code.size())) return;
  const std::vector<TScriptToken> tokens = SplitScript(code);
  bool codeNext = false;
  for (size_t k = 0; k < tokens.size(); ++k) {
    const TScriptToken& token = tokens[k];
    if (token.statementEnd) {
      codeNext = false;
      continue;
    }
    const std::wstring lower = AsciiLower(token.text);
    if (!token.string) {
      if (IsOneOf(lower, kCodeReaders)) {
        codeNext = true;
        continue;
      }
      if (codeNext && StartsWith(lower, L"-")) continue;  // -Raw, -Path, -LiteralPath
      std::optional<TInterpreter> interpreter = codeNext ? std::nullopt : InterpreterNamed(token.text);
      if (interpreter) {
        // The rest of the statement is the program's command line.
        std::wstring arguments;
        for (++k; k < tokens.size() && !tokens[k].statementEnd; ++k) {
          if (!arguments.empty()) arguments += L' ';
          arguments += tokens[k].string ? L'"' + tokens[k].text + L'"' : tokens[k].text;
        }
        Read(interpreter->kind, arguments, depth + 1);
        continue;
      }
    }
    Add(token.text, codeNext ? THandover::Code : THandover::Word);
    codeNext = false;
    if (token.string && HasBlank(token.text)) ReadScriptCode(token.text, depth + 1);
  }
}

// wscript [//switches] script [arguments]
void TReader::ReadScriptHost(std::wstring_view text) {
  bool script = false;
  for (const TArg& arg : SplitArguments(text)) {
    if (!script && StartsWith(arg.text, L"//")) continue;
    Add(arg.text, script ? THandover::Word : THandover::Code);
    script = true;
  }
}

void TReader::ReadMshta(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  if (args.empty()) return;
  if (HasScheme(args[0].text)) {
    ReadScriptCode(text.substr(args[0].begin), depth);
    return;
  }
  Add(args[0].text, THandover::Code);
  AddAll(args, 1, THandover::Word);
}

// rundll32 library,entry [arguments]: an entry such as ShellExec_RunDLL runs the
// program that follows.
void TReader::ReadRundll(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  if (args.empty()) return;
  if (HasScheme(args[0].text)) {
    ReadScriptCode(text.substr(args[0].begin), depth);
    return;
  }
  Add(std::wstring_view(args[0].text).substr(0, args[0].text.find(L',')), THandover::Code);
  AddAll(args, 1, THandover::Word);
}

void TReader::ReadLoader(std::wstring_view text) {
  bool logNext = false;
  for (const TArg& arg : SplitArguments(text)) {
    std::wstring_view word = arg.text;
    if (word.empty()) continue;
    if (word[0] == L'/' || word[0] == L'-') {
      // regsvr32 /i:x.sct
      size_t separator = word.find_first_of(L":=");
      if (separator != std::wstring_view::npos) Add(word.substr(separator + 1), THandover::Code);
      // msiexec /l*v writes a log to the file that follows: no input.
      logNext = word.size() >= 2 && (word[1] | 0x20) == L'l';
      continue;
    }
    size_t equals = word.find(L'=');  // msiexec's PROPERTY=value
    if (equals != std::wstring_view::npos) {
      Add(word.substr(equals + 1), THandover::Word);
    } else {
      Add(word, logNext ? THandover::Word : THandover::Code);
    }
    logNext = false;
  }
}

// conhost [--headless] [--width n] command line
void TReader::ReadConsole(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  size_t k = 0;
  while (k < args.size() && StartsWith(args[k].text, L"--")) {
    const std::wstring option = AsciiLower(args[k].text);
    bool valued = option == L"--width" || option == L"--height" || option == L"--signal" || option == L"--server";
    k += valued ? 2 : 1;
  }
  if (k < args.size()) ReadCmdLine(text.substr(args[k].begin), depth);
}

// forfiles [/p folder] [/m mask] [/s] [/c command] [/d date]
void TReader::ReadForFiles(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  for (size_t k = 0; k < args.size(); ++k) {
    const std::wstring option = AsciiLower(args[k].text);
    bool switched = option.size() == 2 && (option[0] == L'/' || option[0] == L'-');
    if (!switched) {
      Add(args[k].text, THandover::Word);
      continue;
    }
    bool valued = std::wstring_view(L"cpmd").find(option[1]) != std::wstring_view::npos;
    if (!valued || k + 1 >= args.size() || StartsWith(args[k + 1].text, L"/")) continue;
    ++k;
    if (option[1] == L'c') ReadCmdLine(args[k].text, depth + 1);
    if (option[1] == L'p') Add(args[k].text, THandover::Word);
  }
}

// pcalua -a program [-c arguments] [-d folder]
void TReader::ReadPcalua(std::wstring_view text, int depth) {
  const std::vector<TArg> args = SplitArguments(text);
  std::wstring program, arguments;
  for (size_t k = 0; k < args.size(); ++k) {
    const std::wstring option = AsciiLower(args[k].text);
    if ((option == L"-a" || option == L"-c" || option == L"-d") && k + 1 < args.size()) {
      ++k;
      if (option == L"-a") program = args[k].text;
      if (option == L"-c") arguments = args[k].text;
      if (option == L"-d") Add(args[k].text, THandover::Word);
      continue;
    }
    Add(args[k].text, THandover::Word);
  }
  if (program.empty()) return;
  if (std::optional<TInterpreter> interpreter = InterpreterNamed(program)) {
    Read(interpreter->kind, arguments, depth + 1);
    return;
  }
  Add(program, THandover::Command);
  AddAll(SplitArguments(arguments), 0, THandover::Word);
}

// explorer [/e,] [/select,name] [/root,name] name
void TReader::ReadExplorer(std::wstring_view text, int depth) {
  // Started from a command line, what explorer opens is named like any word; as the
  // shortcut's own target, only a program it is given counts.
  const THandover how = depth == 0 ? THandover::RunOnly : THandover::Word;
  for (const TArg& arg : SplitArguments(text)) {
    std::wstring_view word = arg.text;
    if (StartsWith(word, L"/")) {
      size_t comma = word.find(L',');
      if (comma == std::wstring_view::npos) continue;
      word = word.substr(comma + 1);
    }
    Add(word, how);
  }
}

}  // namespace

std::optional<TInterpreter> InterpreterNamed(std::wstring_view target) {
  const std::wstring name = ProgramFileName(target);
  if (name.empty()) return std::nullopt;
  for (const TInterpreterName& entry : kInterpreters) {
    if (name == entry.name || IsShortNameOf(name, entry.name)) return TInterpreter{entry.kind, name};
  }
  return std::nullopt;
}

TArgumentReading ReadInterpreterArguments(const std::vector<TInterpreterKind>& kinds, std::wstring_view arguments) {
  TReader reader;
  for (TInterpreterKind kind : kinds) reader.Read(kind, arguments, 0);
  return reader.Take();
}

}  // namespace dw
