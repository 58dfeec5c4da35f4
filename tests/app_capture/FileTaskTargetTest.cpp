#include "app/capture/FileTaskTarget.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

// The store may be reached through a link, but only to a folder inside the binder's own, and
// an absolute path is taken as written or as the store really is.
TEST(FileTaskTarget, APlaceLiesInTheStoreOfTheBinder) {
    TempDir dir;
    const fs::path binder = dir / "binder";
    const fs::path pages = binder / "pages";
    fs::create_directories(pages);
    fs::create_directory_symlink(pages, binder / "inner");
    fs::create_directory_symlink(dir.Path(), binder / "outer");
    fs::create_directory_symlink(binder, binder / "self");
    const auto placeOf = [&](const std::string& store, const std::string& local) {
        const std::optional<FileTaskPlace> place = FindFileTaskPlace(binder.string(), store, local);
        fs::path folder = place ? place->Base : "refused";
        for (const std::string& name : place ? place->Names : std::vector<std::string>{}) {
            folder /= name;
        }
        return folder.string();
    };
    const std::string in = (pages / "a" / "b").string();
    EXPECT_EQ(placeOf("inner", "a\\b"), in);
    EXPECT_EQ(placeOf("inner", (binder / "inner" / "a" / "b").string()), in);
    EXPECT_EQ(placeOf("inner", in), in);
    EXPECT_EQ(placeOf("new", "a//b/"), (binder / "new" / "a" / "b").string());
    for (const char* store : {"outer", "self", ".."}) {
        EXPECT_EQ(placeOf(store, "a"), "refused") << store;
    }
    for (const std::string& local :
         {std::string("a/.git"), (binder / "pagesx").string(), std::string("a\0b", 3)}) {
        EXPECT_EQ(placeOf("pages", local), "refused") << local;
    }
}
