#include "platform/PathRules.h"

namespace dw {

namespace {

bool IsSep(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t At(std::wstring_view s, size_t i) { return i < s.size() ? s[i] : L'\0'; }

bool IsUncOrDevice(std::wstring_view p) { return p.size() >= 2 && IsSep(p[0]) && IsSep(p[1]); }

bool HasDrive(std::wstring_view p) { return p.size() >= 2 && p[1] == L':'; }

// After "\\server\share\" (separators after each part skipped).
size_t SkipUncPrefix(std::wstring_view p) {
  size_t i = 2;
  while (i < p.size() && !IsSep(p[i])) ++i;
  while (i < p.size() && IsSep(p[i])) ++i;
  while (i < p.size() && !IsSep(p[i])) ++i;
  while (i < p.size() && IsSep(p[i])) ++i;
  return i;
}

std::wstring WithSeparator(const std::wstring& folder) {
  if (!folder.empty() && IsSep(folder.back())) return folder;
  return folder + L'\\';
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 as the last segment, with or without an
// extension: Windows opens the device instead of a file of that name.
std::optional<std::wstring> DosDeviceName(std::wstring_view path) {
  if (IsUncOrDevice(path)) return std::nullopt;
  size_t start = HasDrive(path) ? 2 : 0;
  for (size_t i = start; i < path.size(); ++i) {
    if (IsSep(path[i])) start = i + 1;
  }
  size_t end = start;
  while (end < path.size() && path[end] != L'.' && path[end] != L':') ++end;
  while (end > start && path[end - 1] == L' ') --end;
  std::wstring_view name = path.substr(start, end - start);
  if (name.size() == 3) {
    for (std::wstring_view device : {L"AUX", L"CON", L"NUL", L"PRN"}) {
      if (PathNamesEqual(name, device)) return std::wstring(name);
    }
    return std::nullopt;
  }
  if (name.size() == 4 && name[3] >= L'1' && name[3] <= L'9' &&
      (PathNamesEqual(name.substr(0, 3), L"COM") || PathNamesEqual(name.substr(0, 3), L"LPT"))) {
    return std::wstring(name);
  }
  return std::nullopt;
}

void RemoveDoubledSeparators(std::wstring& p, size_t mark) {
  size_t start = mark > 1 ? mark : 1;
  if (start >= p.size()) return;
  std::wstring out = p.substr(0, start);
  for (size_t i = start; i < p.size(); ++i) {
    if (p[i] != L'\\' || out.back() != L'\\') out.push_back(p[i]);
  }
  p = std::move(out);
}

// Folds "." and ".." segments behind the root (mark characters long), drops one
// trailing dot from inner segments and the trailing dots and blanks of the last.
void CollapseSegments(std::wstring& p, size_t mark) {
  size_t i = mark;
  while (i < p.size()) {
    if (p[i] == L'.') {
      wchar_t next = At(p, i + 1);
      if (next == L'\\') {
        p.erase(i, 2);
        continue;
      }
      if (next == L'\0') {
        if (i > mark) --i;
        p.erase(i);
        continue;
      }
      if (next == L'.' && (At(p, i + 2) == L'\\' || At(p, i + 2) == L'\0')) {
        bool last = At(p, i + 2) == L'\0';
        size_t end = last ? p.size() : i + 3;
        if (i > mark) {
          --i;
          while (i > mark && p[i - 1] != L'\\') --i;
          if (last && i > mark) --i;
        }
        p.erase(i, end - i);
        continue;
      }
    }
    while (i < p.size() && p[i] != L'\\') ++i;
    if (i == p.size()) break;
    if (i > mark && p[i - 1] == L'.') {
      p.erase(i - 1, 1);
    } else {
      ++i;
    }
  }
  size_t end = p.size();
  while (end > mark && (p[end - 1] == L' ' || p[end - 1] == L'.')) --end;
  p.erase(end);
}

}  // namespace

wchar_t PathUpcase(wchar_t c) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<wchar_t>(c - 32);
  if (c == 0xFF) return static_cast<wchar_t>(0x178);
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs its letters upper then lower, except two runs that
    // start on an odd code point.
    bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return (c % 2 == 0) ? static_cast<wchar_t>(c - 1) : c;
    if (c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
    return (c % 2 == 1) ? static_cast<wchar_t>(c - 1) : c;
  }
  if (c == 0x3C2) return static_cast<wchar_t>(0x3A3);  // final sigma
  if (c >= 0x3B1 && c <= 0x3CB) return static_cast<wchar_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<wchar_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<wchar_t>(c - 80);
  return c;
}

bool PathNamesEqual(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (PathUpcase(a[i]) != PathUpcase(b[i])) return false;
  }
  return true;
}

bool WildcardMatch(std::wstring_view pattern, std::wstring_view name) {
  size_t p = 0, n = 0;
  size_t star = std::wstring_view::npos, starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      star = p++;
      starName = n;
      continue;
    }
    if (p < pattern.size() && (pattern[p] == L'?' || PathUpcase(pattern[p]) == PathUpcase(name[n]))) {
      ++p;
      ++n;
      continue;
    }
    if (star == std::wstring_view::npos) return false;
    // Let the last star take one more character and try again from there.
    p = star + 1;
    n = ++starName;
  }
  while (p < pattern.size() && (pattern[p] == L'*' || pattern[p] == L'.')) ++p;
  return p == pattern.size();
}

size_t RootLength(std::wstring_view path) {
  if (IsUncOrDevice(path)) {
    if ((At(path, 2) == L'.' || At(path, 2) == L'?') && IsSep(At(path, 3))) return 4;
    return SkipUncPrefix(path);
  }
  if (HasDrive(path) && IsSep(At(path, 2))) return 3;
  return 0;
}

std::wstring CombineWithBase(const std::wstring& path, const std::wstring& base) {
  if (path.empty() || IsUncOrDevice(path)) return path;
  if (HasDrive(path)) {
    if (IsSep(At(path, 2))) return path;
    if (HasDrive(base) && PathUpcase(base[0]) == PathUpcase(path[0])) return WithSeparator(base) + path.substr(2);
    // Another drive: Windows would use that drive's own current folder, which this
    // process-independent form does not have, so its root stands in.
    return path.substr(0, 2) + L'\\' + path.substr(2);
  }
  if (base.empty()) return path;
  if (IsSep(path[0])) {
    if (HasDrive(base)) return base.substr(0, 2) + path;
    if (IsUncOrDevice(base)) {
      std::wstring root = base.substr(0, SkipUncPrefix(base));
      while (!root.empty() && IsSep(root.back())) root.pop_back();
      return root + path;
    }
    return path;
  }
  return WithSeparator(base) + path;
}

std::wstring FullPathName(const std::wstring& path, const std::wstring& base) {
  std::wstring full = CombineWithBase(path, base);
  for (wchar_t& c : full) {
    if (c == L'/') c = L'\\';
  }
  if (full == L"\\\\.") return L"\\\\.\\";
  if (auto device = DosDeviceName(full)) return L"\\\\.\\" + *device;
  size_t mark = RootLength(full);
  if (mark == 0) return {};
  RemoveDoubledSeparators(full, mark);
  CollapseSegments(full, mark);
  return full;
}

std::wstring FolderPart(std::wstring_view path) {
  size_t i = path.size();
  while (i > 0 && !IsSep(path[i - 1])) --i;
  return std::wstring(path.substr(0, i));
}

bool IsLiteralPath(std::wstring_view path) { return path.substr(0, kLiteralPrefix.size()) == kLiteralPrefix; }

std::wstring LiteralPath(const std::wstring& path) {
  if (IsLiteralPath(path) || RootLength(path) != 3 || path.find(L'/') != std::wstring::npos) return path;
  if (FullPathName(path, L"") == path) return path;
  return std::wstring(kLiteralPrefix) + path;
}

std::wstring PlainPath(const std::wstring& path) {
  return IsLiteralPath(path) ? path.substr(kLiteralPrefix.size()) : path;
}

}  // namespace dw
