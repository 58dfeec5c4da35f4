#include "app/binder/StringMessage.h"

#include "platform/base/Exceptions.h"

#include <gtest/gtest.h>

#include <string>

TEST(StringMessage, WireFormOfFields) {
    StringMessageI18N m;
    m.AddString("abc");
    m.AddString("");
    m.AddString(std::string(26, 'z'));
    m.AddBool(1);
    m.AddBool(0);
    EXPECT_EQ(m.Bytes(), "3#abc0#1a#" + std::string(26, 'z') + "4#true5#false");
    EXPECT_EQ(m.GetLength(), static_cast<int32_t>(m.Bytes().size()));
    EXPECT_EQ(m.GetBuffer()[m.GetLength()], '\0');

    EXPECT_EQ(m.ReadString(), "abc");
    EXPECT_TRUE(m.HasMore());
    EXPECT_EQ(m.ReadString(), "");
    EXPECT_EQ(m.ReadString(), std::string(26, 'z'));
    EXPECT_EQ(m.ReadString(), "true");
    EXPECT_EQ(m.ReadString(), "false");
    EXPECT_FALSE(m.HasMore());
    EXPECT_EQ(m.ReadCString(), nullptr);
    EXPECT_FALSE(m.HasMore());

    StringMessageI18N last;
    last.AddString("");
    EXPECT_TRUE(last.HasMore());
    EXPECT_EQ(last.ReadString(), "");
    EXPECT_FALSE(last.HasMore());
}

TEST(StringMessage, AddStringStopsAtNulButAddDataKeepsEveryByte) {
    const std::string raw("a#b\0c\xFF", 6);
    StringMessageI18N m;
    m.AddString(raw);
    m.AddData(raw.data(), raw.size());
    EXPECT_EQ(m.Bytes(), std::string("3#a#b6#") + raw);

    EXPECT_EQ(m.ReadString(), "a#b");
    int32_t length = -1;
    const char* data = m.ReadData(length);
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(length, 6);
    EXPECT_EQ(std::string(data, 6), raw);
    EXPECT_EQ(data[6], '\0');

    // A field holding a NUL reads as a string up to it, and whole as bytes.
    StringMessageI18N nul;
    nul.AddBytes(std::string("ab\0cd", 5));
    StringMessageI18N copy(nul.GetBuffer(), static_cast<size_t>(nul.GetLength()));
    EXPECT_EQ(nul.ReadString(), "ab");
    EXPECT_EQ(copy.ReadBytes(), std::string("ab\0cd", 5));
}

// The buffer moves as it grows, under a message made from text and under the read position
// too; every byte must come through each move.
TEST(StringMessage, GrowingBufferKeepsEveryByte) {
    StringMessageI18N m("3#abc");
    m.AddString("de");
    EXPECT_EQ(m.ReadString(), "abc");
    EXPECT_EQ(m.ReadString(), "de");
    const std::string field(100, 'q');
    for (int i = 0; i < 100; ++i) {
        m.AddString(field);
        ASSERT_EQ(m.ReadString(), field) << i;
    }
    m.AddString(std::string(5000, 'b'));
    EXPECT_EQ(m.ReadString().size(), 5000u);
    EXPECT_FALSE(m.HasMore());
    m.Rewind();
    EXPECT_EQ(m.ReadString(), "abc");

    m.Clear();
    EXPECT_EQ(m.GetLength(), 0);
    EXPECT_FALSE(m.HasMore());
    m.AddString(std::string(1100, 'y'));
    EXPECT_EQ(m.Bytes(), "44c#" + std::string(1100, 'y'));
}

TEST(StringMessage, MalformedInputNeverReadsPastTheEnd) {
    struct Case {
        std::string bytes;
        std::string firstField;
        bool hasField;
    };
    const Case cases[] = {
        {"5#ab", "", false},               // truncated field
        {"ffffffff#ab", "", false},        // huge length
        {"123456789abcdef0#x", "", false}, // length past 64 bits of digits
        {"abc", "", false},                // no "#"
        {"zz#ab", "", true},               // non-hex length reads as an empty field
        {"3#abc4#tr", "abc", true},        // good field, then a truncated one
        {std::string("2#a\0", 4), std::string("a"), true},
    };
    for (const Case& c : cases) {
        StringMessageI18N m(c.bytes.data(), c.bytes.size());
        int32_t length = -1;
        const char* field = m.ReadData(length);
        EXPECT_EQ(field != nullptr, c.hasField) << c.bytes;
        if (field) {
            EXPECT_EQ(std::string(field), c.firstField) << c.bytes;
        }
        for (int i = 0; i < 4; ++i) {
            m.ReadData(length);
        }
        EXPECT_FALSE(m.HasMore()) << c.bytes;
        EXPECT_EQ(m.ReadCString(), nullptr) << c.bytes;
    }
}

TEST(StringMessage, SizesPastTwoGibFail) {
    StringMessageI18N m;
    const char small[4] = {'a', 'b', 'c', 'd'};
    // The size check comes before any byte is read, so a short buffer is safe here.
    EXPECT_THROW(m.AddData(small, 0x7FFFFFF8u), EStreamError);
    EXPECT_THROW(m.AddData(small, size_t{0x80000000u}), EStreamError);
    EXPECT_THROW(m.AppendRaw(small, size_t{0xFFFFFFFFu}), EStreamError);
    EXPECT_EQ(m.GetLength(), 0);
    m.AddData(small, 4);
    EXPECT_EQ(m.Bytes(), "4#abcd");
}

TEST(StringMessage, FieldSizeAndHeaderMatchWhatAddDataWrites) {
    for (size_t length : {0u, 1u, 15u, 16u, 255u, 256u, 4096u, 65536u, 1048577u}) {
        const std::string bytes(length, 'x');
        StringMessageI18N message;
        message.AddData(bytes.data(), bytes.size());
        EXPECT_EQ(StringMessageI18N::FieldSize(length), static_cast<size_t>(message.GetLength()));
        std::string header;
        StringMessageI18N::AppendFieldHeader(header, length);
        EXPECT_EQ(header + bytes, message.Bytes());
    }
    std::string header;
    StringMessageI18N::AppendFieldHeader(header, 0xFFFFFFFFFull);
    EXPECT_EQ(header, "fffffffff#");
}
