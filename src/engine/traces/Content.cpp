#include "engine/traces/Content.h"

#include <cctype>

namespace dw {

namespace {

constexpr std::string_view kShortcutHeader{"\x4C\x00\x00\x00\x01\x14\x02\x00", 8};

// The Script Encoder's start of block: "#@~^", the encoded length in six base64
// characters, then "==".
bool HasEncodedBlock(std::string_view head) {
  for (size_t at = head.find("#@~^"); at != std::string_view::npos; at = head.find("#@~^", at + 1)) {
    std::string_view rest = head.substr(at + 4);
    if (rest.size() < 8 || rest.substr(6, 2) != "==") continue;
    bool base64 = true;
    for (char c : rest.substr(0, 6)) {
      base64 = base64 && (std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/');
    }
    if (base64) return true;
  }
  return false;
}

enum class TPlace {
  Anywhere,
  LineStart,  // first on its line, blanks aside
  Call        // a whole word followed by "(", blanks aside
};

struct TMarker {
  std::string_view text;
  TPlace place;
};

// Syntax rather than words: notes and letters hold "echo", "set" or "function", but
// seldom "cmd /c", "CreateObject(" or "-windowstyle hidden". Only hidden files and
// files in hiding places are judged, so a user's notes meet these rarely anyway.
constexpr TMarker kScriptMarkers[] = {
    // cmd
    {"@echo off", TPlace::LineStart},
    {"%comspec%", TPlace::Anywhere},
    {"%~dp0", TPlace::Anywhere},
    {"cmd /c", TPlace::Anywhere},
    {"cmd.exe /c", TPlace::Anywhere},
    {"cmd /k", TPlace::Anywhere},
    {"cmd.exe /k", TPlace::Anywhere},
    {"cmd /r", TPlace::Anywhere},
    {"cmd.exe /r", TPlace::Anywhere},
    {"msiexec /q", TPlace::Anywhere},
    {"msiexec.exe /q", TPlace::Anywhere},
    {"setlocal enabledelayedexpansion", TPlace::Anywhere},
    {"goto :eof", TPlace::Anywhere},
    // VBScript and JScript under Windows Script Host
    {"wscript.", TPlace::Anywhere},
    {"on error resume next", TPlace::Anywhere},
    {"scripting.filesystemobject", TPlace::Anywhere},
    {"shell.application", TPlace::Anywhere},
    {"<hta:application", TPlace::Anywhere},
    {"createobject", TPlace::Call},
    {"getobject", TPlace::Call},
    {"execute", TPlace::Call},
    {"executeglobal", TPlace::Call},
    {"activexobject", TPlace::Call},
    {"eval", TPlace::Call},
    // PowerShell
    {"powershell -", TPlace::Anywhere},
    {"powershell.exe -", TPlace::Anywhere},
    {"invoke-expression", TPlace::Anywhere},
    {"invoke-webrequest", TPlace::Anywhere},
    {"start-process", TPlace::Anywhere},
    {"-encodedcommand", TPlace::Anywhere},
    {"-windowstyle hidden", TPlace::Anywhere},
    {"-w hidden", TPlace::Anywhere},
    {"frombase64string", TPlace::Anywhere},
    {"downloadstring", TPlace::Anywhere},
    {"net.webclient", TPlace::Anywhere},
    {"iex", TPlace::Call},
};

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool FoundAt(std::string_view text, size_t at, const TMarker& marker) {
  switch (marker.place) {
    case TPlace::Anywhere: return true;
    case TPlace::LineStart: {
      size_t before = at;
      while (before > 0 && IsBlank(text[before - 1])) --before;
      return before == 0 || text[before - 1] == '\n' || text[before - 1] == '\r';
    }
    case TPlace::Call: {
      if (at > 0 && IsWordChar(text[at - 1])) return false;
      size_t after = at + marker.text.size();
      while (after < text.size() && IsBlank(text[after])) ++after;
      return after < text.size() && text[after] == '(';
    }
  }
  return false;
}

bool HasScriptMarker(std::string_view text) {
  for (const TMarker& marker : kScriptMarkers) {
    for (size_t at = text.find(marker.text); at != std::string_view::npos; at = text.find(marker.text, at + 1)) {
      if (FoundAt(text, at, marker)) return true;
    }
  }
  return false;
}

// UTF-16 text narrowed: ASCII as it is, any other character as one byte above
// 0x7F, so that markers are found and the text stays text.
std::string NarrowUtf16(std::string_view bytes, bool bigEndian) {
  std::string out;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    unsigned lo = static_cast<unsigned char>(bytes[bigEndian ? i + 1 : i]);
    unsigned hi = static_cast<unsigned char>(bytes[bigEndian ? i : i + 1]);
    unsigned unit = lo | (hi << 8);
    out.push_back(unit < 0x80 ? static_cast<char>(unit) : '\x80');
  }
  return out;
}

}  // namespace

std::optional<std::string> AsText(std::string_view head) {
  std::optional<std::string> text;
  if (head.substr(0, 3) == "\xEF\xBB\xBF") {
    text = std::string(head.substr(3));
  } else if (head.substr(0, 2) == "\xFF\xFE") {
    text = NarrowUtf16(head.substr(2), false);
  } else if (head.substr(0, 2) == "\xFE\xFF") {
    text = NarrowUtf16(head.substr(2), true);
  } else if (head.size() >= 4 && head[0] != 0 && head[1] == 0 && head[2] != 0 && head[3] == 0) {
    // Notepad and PowerShell may write UTF-16 without the mark.
    text = NarrowUtf16(head, false);
  } else {
    text = std::string(head);
  }
  for (char& c : *text) {
    unsigned char byte = static_cast<unsigned char>(c);
    // Tab, line ends, form feeds and the old end-of-file mark are text; other
    // control bytes and zeros are what a binary file is made of.
    if (byte < 0x20 && !(byte >= 0x09 && byte <= 0x0D) && byte != 0x1A) return std::nullopt;
    if (byte >= 'A' && byte <= 'Z') c = static_cast<char>(byte - 'A' + 'a');
  }
  return text;
}

TContentKind JudgeContent(std::string_view head) {
  if (head.substr(0, 2) == "MZ") return TContentKind::Program;
  if (head.substr(0, kShortcutHeader.size()) == kShortcutHeader) return TContentKind::Shortcut;
  if (HasEncodedBlock(head)) return TContentKind::EncodedScript;
  std::optional<std::string> text = AsText(head);
  if (!text) return TContentKind::Other;
  // cmd drops its escape character wherever it stands: "m^s^i^e^x^e^c" is msiexec.
  std::string plain;
  plain.reserve(text->size());
  for (char c : *text) {
    if (c != '^') plain.push_back(c);
  }
  return HasScriptMarker(plain) ? TContentKind::ScriptText : TContentKind::Other;
}

}  // namespace dw
