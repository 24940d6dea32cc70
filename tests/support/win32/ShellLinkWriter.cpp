#include "support/win32/ShellLinkWriter.h"

#include "platform/win32/WindowsSupport.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace dw::test {

bool SaveWithShell(const std::wstring& lnk, const ShellLinkSettings& settings) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return false;
  }
  bool ok = SUCCEEDED(link->SetPath(settings.target.c_str()));
  if (!settings.arguments.empty()) ok = ok && SUCCEEDED(link->SetArguments(settings.arguments.c_str()));
  if (!settings.workingDirectory.empty()) link->SetWorkingDirectory(settings.workingDirectory.c_str());
  if (!settings.description.empty()) link->SetDescription(settings.description.c_str());
  if (!settings.iconPath.empty()) link->SetIconLocation(settings.iconPath.c_str(), settings.iconIndex);
  link->SetShowCmd(settings.showCmd);
  link->SetHotkey(settings.hotKey);
  IPersistFile* file = nullptr;
  ok = ok && SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
  if (file) {
    ok = ok && SUCCEEDED(file->Save(lnk.c_str(), TRUE));
    file->Release();
  }
  link->Release();
  return ok;
}

}  // namespace dw::test
