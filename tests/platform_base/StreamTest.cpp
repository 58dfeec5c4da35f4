#include "platform/base/Stream.h"
#include "platform/base/Exceptions.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// Both streams must behave alike: write, seek back and patch, grow past the end, shrink.
void PatchAndResize(TStream& s) {
    s.WriteString("len=????;body");
    int64_t end = s.Position();
    s.Seek(4, TSeekOrigin::soBeginning);
    s.WriteString("0004");
    s.Seek(0, TSeekOrigin::soEnd);
    EXPECT_EQ(s.Position(), end);
    s.Seek(2, TSeekOrigin::soCurrent);
    s.WriteString("!");
    EXPECT_EQ(s.Size(), 16);
    s.SetSize(13);
    EXPECT_EQ(s.Position(), 13);
    s.SetPosition(0);
    std::string back(13, '\0');
    s.ReadBuffer(back.data(), 13);
    EXPECT_EQ(back, "len=0004;body");
    char more;
    EXPECT_EQ(s.Read(&more, 1), 0);
    EXPECT_THROW(s.ReadBuffer(&more, 1), EStreamError);
    EXPECT_THROW(s.Seek(-1, TSeekOrigin::soBeginning), EStreamError);
}

} // namespace

TEST(Streams, MemoryAndFileStreamsPatchAndResizeAlike) {
    TMemoryStream memory;
    PatchAndResize(memory);
    EXPECT_EQ(std::string(memory.Memory(), 13), "len=0004;body");

    TempDir dir;
    std::string path = (dir / "s.bin").string();
    {
        TFileStream file(path, TFileMode::fmCreate);
        PatchAndResize(file);
    }
    EXPECT_EQ(ReadFileBytes(path), "len=0004;body");
}

TEST(Streams, GapsFillWithZerosAndCopiesCarryBytes) {
    TMemoryStream a;
    a.Seek(3, TSeekOrigin::soBeginning);
    a.WriteString("x");
    EXPECT_EQ(a.Bytes(), std::string("\0\0\0x", 4));
    TMemoryStream b;
    b.WriteString(">");
    EXPECT_EQ(b.CopyFrom(a, 0), 4);
    EXPECT_EQ(b.Bytes(), std::string(">\0\0\0x", 5));
}

TEST(Streams, FilesThatCannotOpenRaiseWithTheirName) {
    TempDir dir;
    std::string missing = (dir / "none" / "x.bin").string();
    try {
        TFileStream file(missing, TFileMode::fmOpenRead);
        FAIL();
    } catch (const EStreamError& e) {
        EXPECT_NE(e.Message().find(missing), std::string::npos);
    }
    TMemoryStream m;
    m.WriteString("abc");
    std::string path = (dir / "m.bin").string();
    m.SaveToFile(path);
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Bytes(), "abc");
    EXPECT_THROW(back.LoadFromFile(missing), EStreamError);
}

// A stream over bytes held elsewhere reads and seeks as a memory stream over a copy of them, and
// refuses to write or resize them.
TEST(Streams, AReadStreamOverBytesReadsAsAMemoryStreamAndWritesNothing) {
    const std::string bytes = "0123456789";
    TMemoryStream copy;
    copy.WriteString(bytes);
    TBytesReadStream view(bytes);
    EXPECT_EQ(view.Size(), copy.Size());
    for (TStream* s : {static_cast<TStream*>(&copy), static_cast<TStream*>(&view)}) {
        s->SetPosition(3);
        char four[4] = {};
        EXPECT_EQ(s->Read(four, 4), 4);
        EXPECT_EQ(std::string(four, 4), "3456");
        EXPECT_EQ(s->Seek(-2, TSeekOrigin::soEnd), 8);
        EXPECT_EQ(s->Read(four, 4), 2);
        EXPECT_EQ(s->Seek(5, TSeekOrigin::soEnd), 15);
        EXPECT_EQ(s->Read(four, 4), 0);
        EXPECT_THROW(s->Seek(-1, TSeekOrigin::soBeginning), EStreamError);
    }
    EXPECT_THROW(view.WriteString("x"), EStreamError);
    EXPECT_THROW(view.SetSize(2), EStreamError);
    EXPECT_EQ(bytes, "0123456789");
}
