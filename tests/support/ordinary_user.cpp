// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/ordinary_user.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

bool DropPermissionOverride()
{
    if (::geteuid() != 0) return true;
    // Reading and searching have an override of their own.
    if (::prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0) != 0) return false;
    if (::prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0) != 0) return false;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (::syscall(SYS_capget, &header, data) != 0) return false;
    const unsigned bit = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
    data[0].effective &= ~bit;
    data[0].permitted &= ~bit;
    data[0].inheritable &= ~bit;
    return ::syscall(SYS_capset, &header, data) == 0;
}

int RunInChild(const std::function<int()>& body)
{
    const pid_t child = ::fork();
    if (child == 0) {
        int result = 99;
        try {
            result = body();
        } catch (...) {}
        ::_exit(result);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunAsOrdinaryUser(const std::function<int()>& body)
{
    return RunInChild([&] { return DropPermissionOverride() ? body() : kCannotDropPrivilege; });
}
