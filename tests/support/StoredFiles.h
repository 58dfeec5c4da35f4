#pragma once

// A node's stored file written as the program writes one, its node folder made and marked
// when missing, so the program may later write there again and remove it.

#include "app/binder/StoreAccess.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

inline void WriteStoredFile(const std::string& root, const std::string& store, uint32_t id,
                            const std::string& relative, const std::string& bytes) {
    std::string error;
    ASSERT_TRUE(StoreAccess(root, store).WriteNodeFile(id, relative, bytes, error)) << error;
}
