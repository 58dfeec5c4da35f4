// Damaged and hostile notes: every read fails cleanly with a reason, never reads past the
// bytes it was given, and leaves them as they were.

#include "RNFTestSupport.h"
#include "richtext/model/RNFMisc.h"
#include "tests/support/NotesSheet.h"

#include <gtest/gtest.h>

#include <random>

using namespace std::string_literals;

namespace {

std::string RoundTripNote() {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    return SaveNote(note);
}

// Reads `bytes` from a copy that has nothing after it, so that a read past the end shows.
bool Read(TCustomRNData& doc, const std::string& bytes) {
    auto exact = std::make_unique<char[]>(bytes.size() + 1);
    std::copy(bytes.begin(), bytes.end(), exact.get());
    TMemoryStream stream;
    stream.WriteBuffer(exact.get(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    TColor color = clNone;
    bool ok = doc.LoadRNFFromStream(stream, color, nullptr);
    EXPECT_EQ(stream.Bytes(), bytes) << "the source bytes changed";
    EXPECT_EQ(ok, doc.RNFError.empty()) << doc.RNFError;
    return ok;
}

TEST(RNFHostile, EveryTruncationFailsInsideARecordAndReadsAShorterNoteBetween) {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    const std::string full = SaveNote(note);
    const std::vector<std::string> fullRows = ItemRows(note);
    int shorter = 0;
    for (size_t cut = 0; cut <= full.size(); ++cut) {
        TNotesDocument doc(false);
        doc.Sheet().Name = "rns";
        if (!Read(doc, full.substr(0, cut))) {
            // A plain load keeps what it read before the damage: the last item kept may hold
            // its text up to the cut.
            std::vector<std::string> rows = ItemRows(doc);
            ASSERT_LE(rows.size(), fullRows.size()) << "cut at " << cut;
            if (!rows.empty()) {
                ASSERT_TRUE(fullRows[rows.size() - 1].starts_with(rows.back())) << "cut at " << cut;
                rows.pop_back();
            }
            ASSERT_TRUE(std::equal(rows.begin(), rows.end(), fullRows.begin())) << "cut at " << cut;
            continue;
        }
        // What was read is what the note holds up to the cut: saving it again gives a prefix,
        // or, where the cut fell inside a line (the end of the bytes ends it), the lines before
        // it as they were.
        std::string again = SaveNote(doc);
        if (full.compare(0, again.size(), again) != 0) {
            const size_t cutLine = full.rfind('\n', cut - 1) + 1;
            ASSERT_EQ(again.compare(0, cutLine, full, 0, cutLine), 0) << "cut at " << cut;
            continue;
        }
        ASSERT_LE(again.size(), cut + 2) << "cut at " << cut; // the line end of the last line
        shorter += doc.ItemCount() > 0 ? 1 : 0;
    }
    EXPECT_GE(shorter, 8); // a cut after each item record reads
}

struct BadCase {
    const char* name;
    std::string bytes;
};

TEST(RNFHostile, MalformedNotesFailWithAReason) {
    const std::string v = "-8 1 2\r\n";
    const BadCase cases[] = {
        {"a binary count of 0x7FFFFFFF", v + "-3 3 0 0 2 0 0\r\np\r\nTBitmap\r\n\xFF\xFF\xFF\x7F"
                                             "abc"s},
        {"a negative binary count", v + "-3 3 0 0 2 0 0\r\np\r\nTBitmap\r\n\xFF\xFF\xFF\xFF"
                                        "a"s},
        {"a binary count cut off", v + "-3 3 0 0 2 0 0\r\np\r\nTBitmap\r\n\x01\x00"s},
        {"a negative line count", v + "0 -1 0 0 0 0\r\na\r\n"},
        {"a huge line count", v + "0 2000000000 0 0 0 0\r\na\r\n"},
        {"an odd hexadecimal line", v + "-3 3 0 0 0 0 0\r\np\r\nTBitmap\r\n424\r\n"},
        {"a non-hex digit", v + "-3 3 0 0 0 0 0\r\np\r\nTBitmap\r\n42GG\r\n"},
        {"a non-integer field", v + "0 1 0 x 0 0\r\na\r\n"},
        {"an overflowing integer", v + "0 1 0 0 0 99999999999\r\na\r\n"},
        {"a StyleNo beyond 16 bits", v + "70000 1 0 0 0 0\r\na\r\n"},
        {"a ParaNo beyond 16 bits", v + "0 1 40000 0 0 0\r\na\r\n"},
        {"a missing field", v + "0 1 0 0\r\na\r\n"},
        {"a binary line not after CR LF", v + "-3 3 0 0 2 0 0\r\np\r\nTBitmap\n\x01\0\0\0X"s},
        {"a Unicode line without its end", v + "0 1 0 8 0 0\r\nA\0B\0"s},
        {"a Unicode line not after CR LF", v + "0 1 0 8 0 0\nA\0\x29\x20"s},
        {"a style record that is no collection", v + "-9 2 0 0 0 0 1\r\nrns\r\n0F00\r\n"},
        {"a style record cut short", v + "-9 2 0 0 0 0 1\r\nrns\r\n0E01\r\n"},
        {"a picture that is no picture", v + "-3 3 0 0 0 0 0\r\np\r\nTBitmap\r\n00112233\r\n"},
        {"a rule of an unknown style", v + "-1 0 0 0 0 0 0 7 1\r\n"},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TNotesDocument doc;
        EXPECT_FALSE(Read(doc, c.bytes));
        EXPECT_NE(doc.RNFError.find("record "), std::string::npos) << doc.RNFError;
    }
}

// A note from elsewhere may end without a line end: the end of the bytes ends its last line, and
// it reads as the same note with the line end written.
TEST(RNFHostile, ALastTextLineWithoutItsEndReadsAsWithIt) {
    const std::string v = "-8 1 2\r\n";
    for (const std::string& body :
         {"0 1 0 0 0 0\r\nhello"s, "0 1 0 0 0 0\r\nab\r\n0 1 0 0 0 0\r\ncd"s}) {
        SCOPED_TRACE(body);
        TNotesDocument ended;
        ASSERT_TRUE(Read(ended, v + body + "\r\n"));
        TNotesDocument open;
        ASSERT_TRUE(Read(open, v + body));
        EXPECT_EQ(ItemRows(open), ItemRows(ended));
        ASSERT_GT(open.ItemCount(), 0);
        EXPECT_EQ(open.GetItemText(open.ItemCount() - 1), body.substr(body.rfind('\n') + 1));
    }
}

TEST(RNFHostile, HeaderIntegersReadExactlyTo32Bits) {
    const struct {
        std::string_view field;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"-", true, 0},
        {"-8 1", true, -8},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"000000000000000000001", true, 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999999", false, 0},
        {"+1", false, 0},
        {"--1", false, 0},
        {"1x 2", false, 0},
        {" 2", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field));
        std::string_view p = c.field;
        int value = -99;
        ASSERT_EQ(RNFReadInteger(p, value), c.ok);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
        }
        // The field and its space are gone either way; the next field stays.
        const size_t space = c.field.find(' ');
        EXPECT_EQ(p, space == std::string_view::npos ? "" : c.field.substr(space + 1));
    }
}

TEST(RNFHostile, RandomMutationsNeverCrashOrReadAstray) {
    const std::string full = RoundTripNote();
    std::mt19937 random(20);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes = full;
        int edits = 1 + static_cast<int>(random() % 4);
        for (int e = 0; e < edits; ++e) {
            size_t at = random() % bytes.size();
            switch (random() % 3) {
            case 0:
                bytes[at] = static_cast<char>(random());
                break;
            case 1:
                bytes.erase(at, 1 + random() % 8);
                break;
            default:
                bytes.insert(at, 1, "\r\n\0 -9\xFF\x29"[random() % 8]);
                break;
            }
            if (bytes.empty()) {
                bytes = "x";
            }
        }
        TNotesDocument doc;
        Read(doc, bytes); // the sanitizers and Read's own checks do the judging
    }
}

} // namespace
