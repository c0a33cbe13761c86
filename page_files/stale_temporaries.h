// page_files/ is the file side of a run, above the engine (toc/, which works
// on bytes alone): it reads pages, replaces them safely and keeps stale
// temporaries and batches of destinations in hand.
//
// Temporary files that a killed run left behind. A run writes a page's new
// text to "<page>.quenby-<process>-<n>.tmp" beside it and moves that over
// the page; a run stopped between the two leaves the temporary, which only
// clutters the folder (the page itself is whole, old or new). The next run
// on the page removes it, once the process named in it no longer runs.
// A page with several names is written into instead, from a complete copy
// "<page>.quenby-<process>-<n>.complete.tmp": a run stopped then may leave
// the page half written, and that copy is its only whole text. The next run
// finishes the copy into the page before anything reads it, or, where it
// cannot, refuses the page and names the copy; it never removes one.
#pragma once
#include <set>
#include <string>
#include <vector>
#include "value/krval.h"

// Removes what runs that ended left beside these pages (see above; a
// temporary goes where left_by_ended_run takes it for a dead run's) and
// finishes their complete copies. Each page's folder is listed once,
// however many pages it holds; what cannot be listed or removed is left as
// it is. Returns the pages a copy could not be finished for, each with a
// line in problems: they are not to be touched.
std::set<std::string> remove_stale_temporaries(const std::vector<std::string> &pages,
                                               std::vector<std::string> &problems);

// The same for the one file target, for a job on it, copies that an earlier
// job of this process kept included: false with the file job's message
// where a copy left for it could not be finished.
bool finish_interrupted_copies(const krval &target, krval &message);

// The process number in a temporary's name made for page_name (the name
// without its folder), or 0 when the name is not one of them; complete,
// where given, tells whether it is a complete copy.
unsigned long temporary_process(const std::string &name, const std::string &page_name,
                                bool *complete = nullptr);
