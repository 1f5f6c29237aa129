#pragma once
// Programs run as children of a benchmark, with their wall time, CPU time and peak memory.
#include <string>
#include <vector>

namespace qdmbench {

struct ChildRun {
    double seconds = 0;  // wall clock
    double cpu = 0;      // user + system
    double peakMB = 0;
    int status = -1;
};

// Runs `args` (args[0] is the program's path) with its output thrown away. A child's peak
// memory counts what its parent held when it was started, so the program is started by a
// fresh, small copy of the benchmark (see MeasureChildMain), which reports the figures back.
ChildRun RunMeasured(const std::vector<std::string>& args);

// To be called first in a benchmark's main: when the program was started as that small copy,
// runs the child and returns the exit status for main; otherwise returns -1.
int MeasureChildMain(int argc, char** argv);

}  // namespace qdmbench
