// What the arguments of a shortcut to an interpreter hand over, read from the text
// alone: the names of what they run, read as code or merely open. Whether a name is
// an entry of the drive is for the caller to find out.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dw {

// How a program reads its command line.
enum class TInterpreterKind {
  Shell,       // cmd: a command line of its own
  PowerShell,  // a script file, or PowerShell code
  ScriptHost,  // wscript, cscript: a script whatever its extension, then its arguments
  Mshta,       // an HTML application, or script code inline
  Rundll,      // rundll32: a library and its entry point
  Loader,      // a library, a package or a project, loaded as code
  Console,     // conhost: another command line
  ForFiles,    // a command line run for each file
  Pcalua,      // a program and its arguments
  Explorer,    // opens what it is given, and runs it when it is a program
};

struct TInterpreter {
  TInterpreterKind kind;
  std::wstring name;  // the file name as given, lower case with ".exe": "cmd.exe"
};

// The interpreter that a target or a command word names: a path or a bare name,
// with ".exe" or without, "%comspec%" for cmd. Nothing for any other program.
std::optional<TInterpreter> InterpreterNamed(std::wstring_view target);

// Ordered from the weakest to the strongest.
enum class THandover {
  RunOnly,  // counts only when it is a program or a script (what explorer opens)
  Word,     // run when it is a program or a script; anything else is merely opened or named
  Command,  // the same, and a bare name is also looked for with PATHEXT's extensions
  Code,     // read or loaded as code, whatever its name and content
};

struct THandedName {
  std::wstring text;  // as the arguments spell it, quotes removed
  THandover how;
};

struct TArgumentReading {
  std::vector<THandedName> names;  // each text once (letter case aside), with its strongest handover
  bool hiddenWindow = false;       // PowerShell told to hide its window or to run encoded code
  bool cut = false;                // more names than are kept: some were not looked at
};

// The names that arguments hand to each of kinds (a shortcut may record several targets).
TArgumentReading ReadInterpreterArguments(const std::vector<TInterpreterKind>& kinds, std::wstring_view arguments);

}  // namespace dw
