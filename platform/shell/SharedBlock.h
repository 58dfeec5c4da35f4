#pragma once

#include <cstddef>
#include <memory>
#include <span>
#include <string>

// A named POSIX shared memory object of SharedMemorySize bytes, mapped for reading and writing.
// The mapping is released when the object goes; the name stays until Unlink(), because POSIX,
// unlike the system the block comes from, keeps a named object after its last user.
class SharedBlock {
public:
    enum class Mode { CreateOrOpen, OpenExisting };

    // Null, with `error` set, when the object cannot be opened, belongs to another user, cannot
    // be brought to its size or cannot be mapped. `name` has no leading "/".
    static std::unique_ptr<SharedBlock> Open(const std::string& name, Mode mode,
                                             std::string& error);

    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    std::span<char> Bytes() const;
    // Removes the name; the mapping stays usable until the object goes.
    void Unlink();

private:
    SharedBlock(std::string name, char* view);

    std::string name_;
    char* view_;
};
