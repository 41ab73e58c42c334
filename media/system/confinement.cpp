// Whether this kernel lets the tool programs confine themselves: Landlock and seccomp filters.
#include <linux/landlock.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "media/system/system.h"

namespace media {

std::string toolConfinementGap() {
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    const bool filters = prctl(PR_GET_SECCOMP, 0, 0, 0, 0) >= 0;
    if (abi >= 1 && filters) return "";
    std::string missing = abi < 1 ? "Landlock (Linux 5.13 or later)" : "";
    if (!filters) missing += std::string(missing.empty() ? "" : " and ") + "seccomp filters";
    return "this kernel has no " + missing +
           ": the tool programs run with their resource limits only, free to read and write as you can";
}

}  // namespace media
