// A real kernel refusal of the random sources: a seccomp filter makes
// getrandom (and, where asked, opening files) fail with a chosen errno.
// Install it only in a child process; threads started afterwards inherit it.
#pragma once

#include <linux/audit.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace vessa_test {

constexpr unsigned kAllowOpen = 0;

// Makes getrandom fail with `getrandom_errno`, and open/openat with
// `open_errno` unless that is kAllowOpen. Returns false if the kernel refuses
// the filter.
inline bool RefuseRandomSources(unsigned getrandom_errno, unsigned open_errno) {
    const auto open_action = open_errno == kAllowOpen
                                 ? SECCOMP_RET_ALLOW
                                 : (SECCOMP_RET_ERRNO | (open_errno & SECCOMP_RET_DATA));
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, arch)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, AUDIT_ARCH_X86_64, 1, 0),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_getrandom, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (getrandom_errno & SECCOMP_RET_DATA)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_openat, 1, 0),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_open, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, open_action),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{static_cast<unsigned short>(sizeof(filter) / sizeof(filter[0])), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Whether this kernel lets an unprivileged process install a filter at all.
inline bool SeccompFiltersWork() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(RefuseRandomSources(EPERM, kAllowOpen) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace vessa_test
