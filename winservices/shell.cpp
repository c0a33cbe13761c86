#include "winservices/shell.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include "value/krarr.h"

bool shell_open(krval &verb, krval &target) {
  verb.set_type(KR_TEXT);
  target.set_type(KR_TEXT);
  krval parameters;
  bool has_parameters = false;
  if (verb == "execute") {
    krarr pieces;
    split(krval(" "), target, pieces, 2);
    krval program;
    if (pieces.pop_front(program)) target = program;
    if (pieces.pop_front(parameters)) has_parameters = true;
    verb = "open";
  }
  HINSTANCE result = ShellExecuteA(nullptr, verb.c_str(), target.c_str(),
                                   has_parameters ? parameters.c_str() : nullptr, nullptr,
                                   SW_SHOWNORMAL);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

bool create_shell_link(const krval &link_file, const krval &target, const krval &arguments,
                       const krval &icon_file, krval icon_index, krval show_command,
                       const krval &working_dir) {
  HRESULT initialised = CoInitialize(nullptr);
  IShellLinkA *link = nullptr;
  HRESULT last = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void **>(&link));
  if (SUCCEEDED(last)) {
    link->SetPath(target.c_str());
    if (!arguments.empty()) link->SetArguments(arguments.c_str());
    link->SetIconLocation(icon_file.c_str(), icon_index.as_int());
    link->SetShowCmd(show_command.as_int());
    if (!working_dir.empty()) link->SetWorkingDirectory(working_dir.c_str());

    IPersistFile *file = nullptr;
    last = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (SUCCEEDED(last)) {
      WCHAR wide_name[MAX_PATH];
      if (MultiByteToWideChar(CP_ACP, 0, link_file.c_str(), -1, wide_name, MAX_PATH) == 0) {
        last = E_FAIL;   // longer than a path can be
      } else {
        last = file->Save(wide_name, TRUE);
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(initialised)) CoUninitialize();
  return SUCCEEDED(last);
}
