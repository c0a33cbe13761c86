// Temporary files that a killed run left behind. A run writes a page's new
// text to "<page>.quenby-<process>-<n>.tmp" beside it and moves that over
// the page; a run stopped between the two leaves the temporary, which only
// clutters the folder (the page itself is whole, old or new). The next run
// on the page removes it, once the process named in it no longer runs.
#pragma once
#include <string>
#include <vector>

// Removes what runs that ended left beside these pages: files named for one
// of them as above that left_by_ended_run takes for a dead run's (its
// process gone; a plain file of this user). Each page's folder is listed
// once, however many pages it
// holds; what cannot be listed or removed is left as it is.
void remove_stale_temporaries(const std::vector<std::string> &pages);

// The process number in a temporary's name made for page_name (the name
// without its folder), or 0 when the name is not one of them.
unsigned long temporary_process(const std::string &name, const std::string &page_name);
