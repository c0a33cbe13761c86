// The maker's web address, shown in every TOC block and by the windows'
// "visit the web site" actions.
#pragma once

inline constexpr char kryn_web_address[] = "http://www.krynsoft.com";
