// The TOC comment pattern matched by the regular-expression library, which
// the programs give the engine's requests (the engine loads no library).
#pragma once
#include "value/krval.h"

// The library must be loaded: see regex_binding.h.
bool toc_comment_matches(const krval &pattern, const krval &comment);
