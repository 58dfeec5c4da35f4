#include "platform/shell/SharedMemory.h"

#include "platform/shell/SharedBlock.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

std::unique_ptr<SharedBlock>& Block() {
    static std::unique_ptr<SharedBlock> block;
    return block;
}

} // namespace

std::string SharedMemoryNameFor(uid_t user) {
    return std::string(SharedMemoryName) + "-" + std::to_string(user);
}

std::string SharedMemoryBlockName() {
    const char* name = std::getenv("TARNWICK_SHARED_BLOCK");
    return name != nullptr && *name != '\0' ? name : SharedMemoryNameFor(::geteuid());
}

char* CreateSharedMemory() {
    auto& block = Block();
    if (!block) {
        std::string error;
        block = SharedBlock::Open(SharedMemoryBlockName(), SharedBlock::Mode::CreateOrOpen, error);
        if (!block) {
            std::cerr << error << '\n';
            return nullptr;
        }
    }
    return block->Bytes().data();
}

bool WriteSharedMemory(std::string_view path) {
    const auto& block = Block();
    return block && EncodeBinderPath(block->Bytes(), path);
}

void ReadSharedMemoryItem(InsertInfo& item) {
    const auto& block = Block();
    item = block ? DecodeInsertItem(block->Bytes()) : InsertInfo{};
}

std::string ReadSharedMemoryString() {
    const auto& block = Block();
    return block ? DecodeBinderPath(block->Bytes()) : std::string();
}

void CloseSharedMemory() {
    auto& block = Block();
    if (block) {
        block->Unlink();
        block.reset();
    }
}
