#pragma once

#include <string>

// An exclusive lock on a file, held until the object goes. The kernel drops it when the holder
// dies, so a crashed instance never blocks the next start. The file itself is never removed:
// removing it while another process waits on it would let two processes lock two different
// files of the same name.
class InstanceLock {
public:
    enum class Result { Taken, HeldElsewhere, Failed };

    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Never waits: another holder gives HeldElsewhere.
    Result TryLock(const std::string& path, std::string& error);
    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};
