// The product's own names, wherever it shows itself: the title of its windows
// and message boxes, the about box's texts, the version records of its
// program files, the maker's web address (written in every TOC block and
// opened by the windows' "visit the web site" actions), and the main
// window's class, by which the installer and the uninstaller tell that the
// tool is running.
#pragma once

// The resource compiler reads this file too, through the C preprocessor: the
// names it needs are macros, and it joins adjacent string literals as C does.
#define QUENBY_MAKER_BRAND "KRYN"
#define QUENBY_MAKER QUENBY_MAKER_BRAND " Software"
#define QUENBY_NAME "Quenby"
// The version twice: as text, and as the four numbers of a version record.
#define QUENBY_VERSION "1.0"
#define QUENBY_VERSION_NUMBERS 1, 0, 0, 0
#define QUENBY_TITLE QUENBY_NAME " " QUENBY_VERSION

#ifndef RC_INVOKED
inline constexpr char product_maker_brand[] = QUENBY_MAKER_BRAND;
inline constexpr char product_name[] = QUENBY_NAME;
inline constexpr char product_title[] = QUENBY_TITLE;
inline constexpr char product_version[] = "Version " QUENBY_VERSION;
inline constexpr char product_copyright[] = "Copyright (C) " QUENBY_MAKER;
inline constexpr char kryn_web_address[] = "http://www.krynsoft.com";
inline constexpr char main_window_class[] = "TkrynWOP1";
#endif
