// The product's own names, wherever it shows itself: the title of its windows
// and message boxes, the about box's texts, the maker's web address (written
// in every TOC block and opened by the windows' "visit the web site"
// actions), and the main window's class, by which the installer and the
// uninstaller tell that the tool is running.
#pragma once

inline constexpr char product_name[] = "Quenby";
inline constexpr char product_title[] = "Quenby 1.0";
inline constexpr char product_version[] = "Version 1.0";
inline constexpr char product_copyright[] = "Copyright (C) KRYN Software";
inline constexpr char kryn_web_address[] = "http://www.krynsoft.com";
inline constexpr char main_window_class[] = "TkrynWOP1";
