// What a run does when it is stopped (Ctrl-C, SIGINT, SIGTERM, SIGHUP, a
// closed console): it removes the temporary files it made and has not yet
// moved into place, ends the progress line, and exits with 128 + the
// signal's number (130 for Ctrl-C). A complete copy of a page being
// written into stays, for the next run to finish.
#pragma once

// Called by the program once, before it starts any thread.
void remove_temporaries_when_stopped();
