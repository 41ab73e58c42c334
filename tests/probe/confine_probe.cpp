// Confines itself as a page converter writing <output root> would, then tries what a tool taken over by
// a hostile document might, one "what: allowed" or "what: refused" line per try. --without-landlock runs
// a program as on a kernel before Landlock; --gap prints what the viewer says of such a kernel.
// Usage: confine_probe <document> <output root> <a file outside the output folder> | --gap
//        confine_probe --without-landlock <program> [argument...]
#include <fcntl.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "media/system/system.h"
#include "tools/pdftool/confine.h"

namespace {

void say(const char* what, bool allowed) {
    std::printf("%s: %s\n", what, allowed ? "allowed" : "refused");
    std::fflush(stdout);  // before a try that may end the probe
}

bool opens(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags | O_CLOEXEC, 0600);
    return fd >= 0 && close(fd) == 0;
}

void tryFiles(const std::string& document, const std::string& root, const std::string& outside) {
    const std::string folder = root.substr(0, root.find_last_of('/') + 1);
    say("read the document", opens(document, O_RDONLY));
    const bool wrote = opens(root + "-000001.png.part", O_WRONLY | O_CREAT | O_EXCL);
    say("write in the output folder", wrote);
    say("rename in the output folder",
        wrote && rename((root + "-000001.png.part").c_str(), (root + "-000001.png").c_str()) == 0);
    say("remove in the output folder", unlink((root + "-000001.png").c_str()) == 0);
    say("read outside", opens(outside, O_RDONLY));
    say("write outside", opens(outside, O_WRONLY));
    say("create outside", opens(outside + ".new", O_WRONLY | O_CREAT | O_EXCL));
    say("make a folder in the output folder", mkdir((folder + "sub").c_str(), 0700) == 0);
    say("make a link in the output folder", symlink(outside.c_str(), (folder + "link").c_str()) == 0);
}

void tryProcesses() {
    say("open a network socket", socket(AF_INET, SOCK_STREAM, 0) >= 0);
    say("open a local socket", socket(AF_UNIX, SOCK_STREAM, 0) >= 0);
    say("trace", ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0);
    rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
    say("raise a limit", setrlimit(RLIMIT_CPU, &unlimited) == 0);
    void* big = std::malloc(4ULL << 30);
    say("take 4 GB of memory", big != nullptr);
    std::free(big);
    const pid_t child = fork();
    if (child == 0) _exit(0);
    say("start a process", child > 0);
    // Last: were it allowed, the probe would end here as /bin/true.
    char* const words[] = {const_cast<char*>("/bin/true"), nullptr};
    execv(words[0], words);
    say("run a program", false);
}

// What a kernel without Landlock answers, for this process and every program it starts.
bool withoutLandlock() {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    bool added = filter != nullptr;
    for (int call : {SYS_landlock_create_ruleset, SYS_landlock_add_rule, SYS_landlock_restrict_self})
        added = added && seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), call, 0) == 0;
    const bool loaded = added && prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && seccomp_load(filter) == 0;
    seccomp_release(filter);
    return loaded;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::string(argv[1]) == "--without-landlock") {
        if (withoutLandlock()) execv(argv[2], argv + 2);
        return 2;
    }
    if (argc == 2 && std::string(argv[1]) == "--gap")
        return std::puts(media::toolConfinementGap().c_str()) < 0;
    if (argc != 4) return 2;
    const Confinement confinement =
        confineRun(runBounds("pdftopng.exe", {"-q", "-f", "1", "-l", "1", "-r", "120", argv[1], argv[2]}));
    std::printf("landlock: %s\nseccomp: %s\nlimits: %s\n",
                confinement.landlock ? "on" : (confinement.kernelLacksLandlock ? "missing" : "failed"),
                confinement.seccomp ? "on" : "off", confinement.limits ? "on" : "off");
    if (!confinement.problem.empty()) std::printf("problem: %s\n", confinement.problem.c_str());
    tryFiles(argv[1], argv[2], argv[3]);
    tryProcesses();
    return 0;
}
