// Confining a tool run before it opens its document: resource limits, then Landlock, then seccomp.
// A document comes from anyone; should it take MuPDF over, the process it runs in may read only the
// document, write only in its output folder, and neither reach the network nor start programs.
#include "confine.h"

#include <fcntl.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

namespace {

constexpr unsigned long long mebibyte = 1ULL << 20;
constexpr unsigned long long gibibyte = 1ULL << 30;

// Rights newer than Debian 12's kernel headers know, by their fixed numbers in the kernel's ABI.
constexpr std::uint64_t accessTruncate = 1ULL << 14;     // Landlock ABI 3
constexpr std::uint64_t accessIoctlDevice = 1ULL << 15;  // ABI 5
constexpr std::uint64_t netBindTcp = 1ULL << 0;          // ABI 4
constexpr std::uint64_t netConnectTcp = 1ULL << 1;
constexpr std::uint64_t scopeAbstractUnixSocket = 1ULL << 0;  // ABI 6
constexpr std::uint64_t scopeSignal = 1ULL << 1;

// The ruleset's attribute as the newest kernels read it; an older kernel accepts the longer
// structure as long as the fields it does not know are zero.
struct RulesetAttributes {
    std::uint64_t handledAccessFs = 0;
    std::uint64_t handledAccessNet = 0;
    std::uint64_t scoped = 0;
};

// One set of limits per kind of work. A real page renders in well under a second and a 2,488-page
// manual's text takes about 4 s of processor time and 15 MB; the largest page image is 300 MB.
struct KindBounds {
    unsigned long long addressSpace;
    unsigned long long cpuSeconds;
    unsigned long long fileSize;
    bool writesFiles;
};
constexpr KindBounds informationBounds{1 * gibibyte, 60, 16 * mebibyte, false};
constexpr KindBounds textBounds{2 * gibibyte, 600, 1 * gibibyte, true};
constexpr KindBounds renderBounds{3 * gibibyte, 300, 1 * gibibyte, true};
constexpr unsigned long long openFilesAtMost = 64;

const KindBounds& kindBounds(const std::string& programName) {
    if (programName == "pdfinfo.exe" || programName == "pdfinfo") return informationBounds;
    if (programName == "pdftotext.exe" || programName == "pdftotext") return textBounds;
    return renderBounds;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isFolder(const std::string& path) {
    struct stat status {};
    return !path.empty() && stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// "<folder>/page" writes in <folder>; a bare name in the current folder; a folder is itself.
std::string outputFolder(const std::string& output) {
    if (output.empty()) return "";
    if (output.back() == '/' || isFolder(output)) return output;
    const std::size_t slash = output.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : output.substr(0, slash);
}

// Lowers a limit, never raising one the process was started with. The processor limit's hard
// value lies a little above the soft one: SIGXCPU lets the run end with a message first.
bool lowerLimit(int resource, unsigned long long wanted, unsigned long long hardSlack = 0) {
    rlimit current{};
    if (getrlimit(resource, &current) != 0) return false;
    rlimit lowered{};
    lowered.rlim_max = std::min<rlim_t>(current.rlim_max, wanted + hardSlack);
    lowered.rlim_cur = std::min<rlim_t>({current.rlim_cur, wanted, lowered.rlim_max});
    return setrlimit(resource, &lowered) == 0;
}

bool applyLimits(const RunBounds& bounds) {
    // An output past the size limit fails its write (EFBIG) and is removed, instead of ending the run.
    std::signal(SIGXFSZ, SIG_IGN);
    bool applied = lowerLimit(RLIMIT_AS, bounds.addressSpaceBytes);
    applied = lowerLimit(RLIMIT_CPU, bounds.cpuSeconds, 5) && applied;
    applied = lowerLimit(RLIMIT_FSIZE, bounds.fileSizeBytes) && applied;
    applied = lowerLimit(RLIMIT_NOFILE, bounds.openFiles) && applied;
    // A core dump of a locked document's run would hold its decrypted content.
    return lowerLimit(RLIMIT_CORE, 0) && applied;
}

long landlockAbi() {
    return syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
}

RulesetAttributes handledAccess(long abi) {
    RulesetAttributes attributes;
    attributes.handledAccessFs = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1;  // every right of ABI 1
    if (abi >= 2) attributes.handledAccessFs |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3) attributes.handledAccessFs |= accessTruncate;
    if (abi >= 4) attributes.handledAccessNet = netBindTcp | netConnectTcp;
    if (abi >= 5) attributes.handledAccessFs |= accessIoctlDevice;
    if (abi >= 6) attributes.scoped = scopeAbstractUnixSocket | scopeSignal;
    return attributes;
}

bool addPathRule(int ruleset, const std::string& path, std::uint64_t rights) {
    const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) return false;
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights;
    rule.parent_fd = fd;
    const bool added = syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0) == 0;
    close(fd);
    return added;
}

// Reading the document; making, writing, reading back, renaming and removing plain files in the
// output folder. Nothing else on any file system: no folder, link, device, socket or pipe is made.
bool addRules(int ruleset, const RunBounds& bounds, std::uint64_t handled) {
    for (const std::string& file : bounds.readableFiles)
        if (!addPathRule(ruleset, file, LANDLOCK_ACCESS_FS_READ_FILE)) return false;
    if (bounds.writableFolder.empty()) return true;
    const std::uint64_t folderRights = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_WRITE_FILE |
                                       LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                                       LANDLOCK_ACCESS_FS_MAKE_REG | accessTruncate;
    // A folder that cannot be opened gets no rule: writing there fails as it would have anyway.
    addPathRule(ruleset, bounds.writableFolder, folderRights & handled);
    return true;
}

void applyLandlock(const RunBounds& bounds, Confinement& result) {
    const long abi = landlockAbi();
    if (abi < 1) {
        result.kernelLacksLandlock = errno == ENOSYS || errno == EOPNOTSUPP;
        if (!result.kernelLacksLandlock) result.problem = std::string("Landlock: ") + std::strerror(errno);
        return;
    }
    RulesetAttributes attributes = handledAccess(abi);
    const int ruleset =
        static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, sizeof attributes, 0));
    if (ruleset < 0) {
        result.problem = std::string("Landlock ruleset: ") + std::strerror(errno);
        return;
    }
    if (addRules(ruleset, bounds, attributes.handledAccessFs) &&
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 && syscall(SYS_landlock_restrict_self, ruleset, 0) == 0)
        result.landlock = true;
    else
        result.problem = std::string("Landlock rules: ") + std::strerror(errno);
    close(ruleset);
}

// Calls a tool never makes; each fails with EPERM. The limits cannot be raised again, no program
// can be started, traced or read, no socket made, and no text pushed into the terminal's input.
constexpr int deniedCalls[] = {
    SCMP_SYS(socket),
    SCMP_SYS(socketpair),
    SCMP_SYS(connect),
    SCMP_SYS(bind),
    SCMP_SYS(listen),
    SCMP_SYS(accept),
    SCMP_SYS(accept4),
    SCMP_SYS(execve),
    SCMP_SYS(execveat),
    SCMP_SYS(fork),
    SCMP_SYS(vfork),
    SCMP_SYS(ptrace),
    SCMP_SYS(process_vm_readv),
    SCMP_SYS(process_vm_writev),
    SCMP_SYS(setrlimit),
    SCMP_SYS(mount),
    SCMP_SYS(umount2),
    SCMP_SYS(pivot_root),
    SCMP_SYS(chroot),
    SCMP_SYS(unshare),
    SCMP_SYS(setns),
    SCMP_SYS(keyctl),
    SCMP_SYS(add_key),
    SCMP_SYS(request_key),
    SCMP_SYS(bpf),
    SCMP_SYS(perf_event_open),
    SCMP_SYS(userfaultfd),
    SCMP_SYS(io_uring_setup),
    SCMP_SYS(kexec_load),
    SCMP_SYS(init_module),
    SCMP_SYS(finit_module),
    SCMP_SYS(delete_module),
};

bool addSeccompRules(scmp_filter_ctx filter) {
    const std::uint32_t refuse = SCMP_ACT_ERRNO(EPERM);
    for (int call : deniedCalls)
        if (seccomp_rule_add(filter, refuse, call, 0) != 0) return false;
    // Threads may still be made (clone with CLONE_THREAD); a new process may not. clone3's flags
    // lie in memory a filter cannot read: it answers ENOSYS, and the C library falls back to clone.
    return seccomp_rule_add(filter, refuse, SCMP_SYS(clone), 1,
                            SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, 0)) == 0 &&
           seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) == 0 &&
           seccomp_rule_add(filter, refuse, SCMP_SYS(prlimit64), 1, SCMP_A2(SCMP_CMP_NE, 0)) == 0 &&
           seccomp_rule_add(filter, refuse, SCMP_SYS(ioctl), 1,
                            SCMP_A1(SCMP_CMP_MASKED_EQ, 0xffffffffU, TIOCSTI)) == 0;
}

// The filter sets no_new_privs itself; calls of another architecture's table end the process.
void applySeccomp(Confinement& result) {
    scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
    if (filter == nullptr) {
        result.problem = "seccomp: no filter";
        return;
    }
    const bool added = addSeccompRules(filter);
    const int loaded = added ? seccomp_load(filter) : -1;
    seccomp_release(filter);
    if (loaded == 0)
        result.seccomp = true;
    else if (result.problem.empty())
        result.problem = added ? std::string("seccomp: ") + std::strerror(-loaded) : "seccomp: rules refused";
}

}  // namespace

RunBounds runBounds(const std::string& programName, const std::vector<std::string>& arguments) {
    const KindBounds& kind = kindBounds(programName);
    RunBounds bounds;
    for (const std::string& argument : arguments)
        if (isRegularFile(argument)) bounds.readableFiles.push_back(argument);
    if (kind.writesFiles && !arguments.empty()) bounds.writableFolder = outputFolder(arguments.back());
    // The information program writes no file but the outline it is given: "-outline <file> <document>".
    if (!kind.writesFiles && arguments.size() == 3 && arguments[0] == "-outline")
        bounds.writableFolder = outputFolder(arguments[1]);
    bounds.addressSpaceBytes = kind.addressSpace;
    bounds.cpuSeconds = kind.cpuSeconds;
    bounds.fileSizeBytes = kind.fileSize;
    bounds.openFiles = openFilesAtMost;
    return bounds;
}

Confinement confineRun(const RunBounds& bounds) {
    Confinement result;
    result.limits = applyLimits(bounds);
    if (!result.limits) result.problem = "resource limits refused";
    applyLandlock(bounds, result);
    applySeccomp(result);
    return result;
}
