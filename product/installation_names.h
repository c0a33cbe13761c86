// The names an installation leaves on the system: its folder's files, its
// shortcuts, its registry keys and values. The installer makes them and the
// uninstaller removes them, so both read them from here.
#pragma once
#include "product/product.h"

namespace installation {

inline constexpr char installed_program[] = "kwop.exe";
inline constexpr char setup_program[] = "setup.exe";
inline constexpr char uninstaller[] = "remove.exe";
inline constexpr char help_page[] = "help.html";
// What the installed folder holds besides the uninstaller, which goes last.
inline constexpr const char *installed_files[] = {
    installed_program, "kr_px_regex.dll", "readme.txt", help_page, "license.txt", "htmltoc.gif",
};

// Under HKEY_LOCAL_MACHINE.
inline constexpr char product_key[] = "Software\\" QUENBY_MAKER_BRAND "\\WOP1";
inline constexpr char maker_key[] = "Software\\" QUENBY_MAKER_BRAND;
inline constexpr char folder_value[] = "inst_dir";
inline constexpr char start_menu_value[] = "icon_dir";
inline constexpr char desktop_link_value[] = "desktop_icon";
inline constexpr char uninstall_key[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kwop1";
inline constexpr char display_name_value[] = "DisplayName";
inline constexpr char uninstall_string_value[] = "UninstallString";
// What "Apps & features" shows of the entry besides its name.
inline constexpr char display_version_value[] = "DisplayVersion";
inline constexpr char publisher_value[] = "Publisher";
inline constexpr char display_icon_value[] = "DisplayIcon";
inline constexpr char install_location_value[] = "InstallLocation";
inline constexpr char estimated_size_value[] = "EstimatedSize";   // kilobytes

inline constexpr char start_menu_folder[] = QUENBY_MAKER_BRAND " " QUENBY_NAME;
inline constexpr char program_link[] = QUENBY_MAKER_BRAND " " QUENBY_TITLE ".lnk";
inline constexpr char help_link[] = "Help.lnk";
inline constexpr char uninstall_link[] = "Uninstall.lnk";

// Under HKEY_CLASSES_ROOT, in the class of ".html" and in the key Explorer
// reads for every ".html" file, whichever program owns the type.
inline constexpr char html_extension_key[] = ".html";
inline constexpr char every_html_file_key[] = "SystemFileAssociations\\.html";
inline constexpr char context_verb[] = "Create ToC with " QUENBY_TITLE;

}  // namespace installation
