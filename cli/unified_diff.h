// Unified diffs of two texts, as diff -u prints them: what --diff shows of
// the change a run would make.
#pragma once
#include <string>

// "--- label", "+++ label" and the hunks with `context` lines of context
// around each change; empty when the texts are equal. Lines keep their own
// line ends (a CR before the LF stays in the line).
std::string unified_diff(const std::string &before, const std::string &after,
                         const std::string &label, int context = 3);
