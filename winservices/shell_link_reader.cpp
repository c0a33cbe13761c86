#include "winservices/shell_link_reader.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

// The component library for one call; a thread that already has it keeps it.
class com_scope {
public:
  com_scope() : result(CoInitialize(nullptr)) {}
  ~com_scope() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
  com_scope(const com_scope &) = delete;
  com_scope &operator=(const com_scope &) = delete;

private:
  HRESULT result;
};

}  // namespace

bool read_shell_link(const std::string &link_file, shell_link_info &out) {
  com_scope com;
  IShellLinkA *link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void **>(&link))))
    return false;
  bool ok = false;
  IPersistFile *file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
    wchar_t wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, link_file.c_str(), -1, wide, MAX_PATH) > 0 &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
      char text[MAX_PATH * 2];
      int number = 0;
      text[0] = '\0';
      ok = SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH));
      out.target = text;
      text[0] = '\0';
      link->GetArguments(text, sizeof text);
      out.arguments = text;
      text[0] = '\0';
      link->GetIconLocation(text, sizeof text, &number);
      out.icon_path = text;
      out.icon_index = number;
      number = 0;
      link->GetShowCmd(&number);
      out.show_command = number;
      text[0] = '\0';
      link->GetWorkingDirectory(text, sizeof text);
      out.working_dir = text;
    }
    file->Release();
  }
  link->Release();
  return ok;
}
