// Readable anchor names made from a heading's text: "Getting started" gives
// getting-started. The text is raw HTML text as it stands in the page.
#pragma once
#include <cstddef>
#include <string>

// References are decoded for the purpose (a decoded letter beyond ASCII as
// UTF-8), ASCII letters lower-cased, letters, digits and bytes 128 to 255
// kept, every other run of characters one "-", with none at either end;
// "section" when nothing is left.
std::string anchor_slug(const char *text, std::size_t length);
