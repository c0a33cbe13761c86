// A run's TOC entries as JSON, for the module's JavaScript side.
#pragma once
#include <string>
#include "toc/toc_tree.h"

// [{"level":2,"text":"...","href":"#...","number":"1.2."}, ...] in the TOC's
// order, from first on. Texts are the bytes the TOC writes (markup included);
// only '"', '\\' and control bytes are escaped, so UTF-8 stays as it is.
std::string entries_json(toc_node *first);
