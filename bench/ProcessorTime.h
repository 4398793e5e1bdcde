// The processor time this process has used, in seconds: what the side-by-side benchmark
// times. On a machine shared with other work, wall time counts the moments when the
// benchmark was not running, more often in the longer runs of the slower side.
#pragma once

namespace vornal::bench {

double processorSeconds();

}  // namespace vornal::bench
