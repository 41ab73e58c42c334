// Confining one run of a tool program before it opens its document: resource limits, Landlock (what
// it may read and write) and seccomp (no network, no exec, no ptrace, no new privileges).
#pragma once

#include <string>
#include <vector>

// What one run may touch and take. Limits already lower in the process (a caller's ulimit) stay.
struct RunBounds {
    std::vector<std::string> readableFiles;  // the document: every argument that names a regular file
    std::string writableFolder;              // the output's folder; empty: the run writes no file
    unsigned long long addressSpaceBytes = 0;
    unsigned long long cpuSeconds = 0;
    unsigned long long fileSizeBytes = 0;
    unsigned long long openFiles = 0;
};

// The bounds of a run of the tool started as programName with these arguments (those after the
// name). The output is the last argument, a file or a root whose folder is written, or a folder
// itself; pdfinfo writes only to its standard output.
RunBounds runBounds(const std::string& programName, const std::vector<std::string>& arguments);

// What could be put in place. A kernel without Landlock (before Linux 5.13, or switched off) or
// without seccomp filters leaves the run as free as any program of the user; the viewer says so.
struct Confinement {
    bool limits = false;
    bool landlock = false;
    bool seccomp = false;
    bool kernelLacksLandlock = false;
    std::string problem;  // why a step failed on a kernel that has it; empty when none did
};

// Applies the limits, then Landlock, then the seccomp filter, for the rest of the process's life.
Confinement confineRun(const RunBounds& bounds);
