// ReadShellLink through the Shell link object: the Shell itself resolves the target.
#include "platform/win32/WindowsSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "common/Text.h"
#include "platform/lnk.h"

namespace dw {

namespace {

// Owns one COM interface pointer: released on every way out of the reader.
template <typename T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (ptr_) ptr_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  void** Receive() { return reinterpret_cast<void**>(&ptr_); }
  T* operator->() const { return ptr_; }

 private:
  T* ptr_ = nullptr;
};

void Check(HRESULT result, const char* step, const std::wstring& path) {
  if (SUCCEEDED(result)) return;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(result));
  throw ShellLinkError(std::string(step) + " failed (" + code + ") for shortcut " + WideToUtf8(path));
}

// One getter's 260-character buffer; the text is kept up to its terminating zero.
class TextBuffer {
 public:
  wchar_t* Clear() {
    std::fill(std::begin(chars_), std::end(chars_), L'\0');
    return chars_;
  }
  static constexpr int Size() { return static_cast<int>(kShellLinkBufferChars); }
  std::wstring Text() {
    chars_[kShellLinkBufferChars - 1] = L'\0';
    return chars_;
  }

 private:
  wchar_t chars_[kShellLinkBufferChars] = {};
};

}  // namespace

TShellLink ReadShellLink(const std::wstring& path) {
  // The Shell would open whatever the name leads to (a pipe, a link) and read as
  // much as the file holds: it is handed only a file that was read safely first.
  ReadShortcutFile(path);
  ComRef<IShellLinkW> link;
  Check(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Receive()),
        "CoCreateInstance(ShellLink)", path);
  ComRef<IPersistFile> file;
  Check(link->QueryInterface(IID_IPersistFile, file.Receive()), "QueryInterface(IPersistFile)", path);
  Check(file->Load(path.c_str(), STGM_READ), "IPersistFile::Load", path);
  Check(link->Resolve(nullptr, SLR_NO_UI | SLR_ANY_MATCH), "IShellLinkW::Resolve", path);

  TShellLink result;
  TextBuffer buffer;
  Check(link->GetPath(buffer.Clear(), buffer.Size(), nullptr, SLGP_UNCPRIORITY), "GetPath", path);
  result.PathName = buffer.Text();
  Check(link->GetArguments(buffer.Clear(), buffer.Size()), "GetArguments", path);
  result.Arguments = buffer.Text();
  Check(link->GetDescription(buffer.Clear(), buffer.Size()), "GetDescription", path);
  result.Description = buffer.Text();
  Check(link->GetWorkingDirectory(buffer.Clear(), buffer.Size()), "GetWorkingDirectory", path);
  result.WorkingDirectory = buffer.Text();
  int iconIndex = 0;
  Check(link->GetIconLocation(buffer.Clear(), buffer.Size(), &iconIndex), "GetIconLocation", path);
  result.IconLocation = buffer.Text();
  result.IconIndex = iconIndex;
  int showCmd = 0;
  Check(link->GetShowCmd(&showCmd), "GetShowCmd", path);
  result.ShowCmd = showCmd;
  WORD hotKey = 0;
  Check(link->GetHotkey(&hotKey), "GetHotkey", path);
  result.HotKey = hotKey;
  return result;
}

}  // namespace dw
