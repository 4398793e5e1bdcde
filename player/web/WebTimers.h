// The web's event loop has no threads: the music's timers are DrivenTimebases that the loop
// runs whenever it wakes. MakeRealTimebase() (player/music/Timebase.h) makes one here and
// registers it; the loop (node: node/node_wait.js; a page: its own timer) calls
// vornal_run_timers() and sleeps at most as long as it returns.
#pragma once

namespace vornal::web {

// Makes every timer call that is due in every registered timebase; returns the milliseconds
// until the next one is due (rounded up), -1 when no timer runs.
int runTimers();

}  // namespace vornal::web

extern "C" int vornal_run_timers();
