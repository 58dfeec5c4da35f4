#pragma once

// Makes file permissions bind the calling thread even when it runs as root: drops the
// capabilities that override them for as long as the object lives. Capabilities belong to a
// thread, so nothing else in the process is affected.

#include <fcntl.h>
#include <linux/capability.h>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

class PermissionsEnforced {
public:
    PermissionsEnforced() {
        if (::syscall(SYS_capget, &header_, saved_) != 0) {
            return;
        }
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionsEnforced() {
        if (active_) {
            ::syscall(SYS_capset, &header_, saved_);
        }
    }
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

    // Whether a folder without write permission really refuses a new file now. (access()
    // cannot tell: for root it judges with the capabilities the thread could take back.)
    static bool Hold(const std::string& readOnlyFolder) {
        const std::string probe = readOnlyFolder + "/.permission-probe";
        int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            return true;
        }
        ::close(fd);
        ::unlink(probe.c_str());
        return false;
    }

private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};
