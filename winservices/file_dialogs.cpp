#include "winservices/file_dialogs.h"

#include <commdlg.h>
#include <shlobj.h>
#include <cstddef>
#include <cstring>

namespace {

// The open-file-name record of the first 32-bit systems, without the fields
// added later: 76 bytes in a 32-bit program, 136 in a 64-bit one, where its
// pointers are twice as wide. Given a size they do not know, the dialogs fail
// without showing anything.
constexpr DWORD classic_record_size =
    offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName);
static_assert(classic_record_size == (sizeof(void *) == 4 ? 76 : 136), "the classic record");

int CALLBACK select_initial_folder(HWND browser, UINT notification, LPARAM, LPARAM data) {
  if (notification == BFFM_INITIALIZED && data) {
    const char *folder = reinterpret_cast<const char *>(data);
    if (*folder) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
  }
  return 0;
}

}  // namespace

void normalise_start_folder(krval &folder) {
  folder.set_type(KR_TEXT);
  int32_t n = folder.text_length();
  if (n > 0 && folder.c_str()[n - 1] == '\\') folder.set_length(--n);
  if (n == 2 && folder.c_str()[1] == ':') folder.append("\\");
}

win_open_save_dialog::win_open_save_dialog()
    : file_name(""), filter(""), default_ext(""), initial_file(""), initial_dir(""), title("") {}

int win_open_save_dialog::execute_open() { return execute(false); }
int win_open_save_dialog::execute_save() { return execute(true); }

int win_open_save_dialog::execute(bool save) {
  default_ext.set_type(KR_TEXT);
  initial_file.set_type(KR_TEXT);
  initial_dir.set_type(KR_TEXT);
  title.set_type(KR_TEXT);
  normalise_start_folder(initial_dir);

  char file_buffer[1024];
  // A longer initial name is cut to what the buffer holds with its zero.
  int32_t shown = initial_file.text_length();
  if (shown > 1023) shown = 1023;
  std::memcpy(file_buffer, initial_file.c_str(), static_cast<size_t>(shown));
  file_buffer[shown] = 0;

  OPENFILENAMEA record;
  std::memset(&record, 0, sizeof record);
  record.lStructSize = classic_record_size;
  record.hwndOwner = owner;
  if (filter.text_length() != 0) record.lpstrFilter = filter.c_str();
  record.nFilterIndex = 1;
  record.lpstrFile = file_buffer;
  record.nMaxFile = sizeof file_buffer;
  if (!initial_dir.empty()) record.lpstrInitialDir = initial_dir.c_str();
  if (!title.empty()) record.lpstrTitle = title.c_str();
  record.Flags = flags;
  if (!default_ext.empty()) record.lpstrDefExt = default_ext.c_str();

  BOOL confirmed = save ? GetSaveFileNameA(&record) : GetOpenFileNameA(&record);
  if (confirmed) {
    file_buffer[sizeof file_buffer - 1] = 0;
    file_name = file_buffer;
    file_offset = record.nFileOffset;
  } else {
    file_name = "";
    file_offset = -1;
  }
  flags = record.Flags;
  return confirmed;
}

win_dir_open_dialog::win_dir_open_dialog() : initial_folder(""), title("") {}

bool win_dir_open_dialog::execute() {
  initial_folder.set_type(KR_TEXT);
  title.set_type(KR_TEXT);
  IMalloc *allocator = nullptr;
  if (FAILED(SHGetMalloc(&allocator)) || !allocator) return false;
  auto *path = static_cast<char *>(allocator->Alloc(MAX_PATH));
  if (!path) {
    allocator->Release();
    return false;
  }
  path[0] = 0;
  if (!initial_folder.empty()) normalise_start_folder(initial_folder);

  BROWSEINFOA info;
  std::memset(&info, 0, sizeof info);
  info.hwndOwner = owner;
  info.pszDisplayName = path;
  if (!title.empty()) info.lpszTitle = title.c_str();
  info.ulFlags = flags;
  info.lpfn = select_initial_folder;
  if (!initial_folder.empty()) info.lParam = reinterpret_cast<LPARAM>(initial_folder.c_str());

  bool result = false;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
  if (chosen) {
    result = SHGetPathFromIDListA(chosen, path) != FALSE;
    if (result) {
      folder = path;
    } else {
      folder.set_type(KR_TEXT);
      folder.set_length(0);
    }
    allocator->Free(chosen);
  }
  allocator->Free(path);
  allocator->Release();
  return result;
}
