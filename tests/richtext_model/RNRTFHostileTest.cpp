// Damaged RTF: mutated and truncated fixtures always end in an error code, never in a crash
// or an exception.
#include "RTFFixtures.h"
#include "tests/support/NotesSheet.h"

#include "platform/base/Stream.h"
#include "richtext/model/RNRTFProps.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

std::string Mutate(std::string s, std::mt19937& rng) {
    static const char specials[] = "{}\\'*0123456789-; \r\nabcdefu";
    int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        size_t at = rng() % s.size();
        switch (rng() % 5) {
        case 0:
            s[at] = static_cast<char>(rng() & 0xFF);
            break;
        case 1:
            s.insert(at, 1, specials[rng() % (sizeof specials - 1)]);
            break;
        case 2:
            s.erase(at, 1 + rng() % 16);
            break;
        case 3:
            s.insert(at, std::string(1 + rng() % 64, rng() % 2 ? '{' : '}'));
            break;
        default:
            s.resize(at); // truncated
            break;
        }
    }
    return s;
}

TEST(RNRTFHostile, MutatedFixturesEndInACode) {
    std::mt19937 rng(20261206);
    const std::string fixtures[] = {FixtureText(), FixturePictures()};
    std::set<TRNRTFErrorCode> seen;
    for (int run = 0; run < 2000; ++run) {
        std::string rtf = Mutate(fixtures[run % 2], rng);
        TNotesDocument doc;
        TRNRTFReaderProperties props;
        props.UnicodeMode = run % 3 ? TRNReaderUnicode::rnruMixed : TRNReaderUnicode::rnruNoUnicode;
        props.TextStyleMode =
            run % 4 ? TRNReaderStyleMode::rnrsUseClosest : TRNReaderStyleMode::rnrsAddIfNeeded;
        props.ParaStyleMode = props.TextStyleMode;
        doc.RTFProperties = &props;
        TMemoryStream stream;
        stream.WriteString(rtf);
        stream.SetPosition(0);
        TRNRTFErrorCode code = TRNRTFErrorCode::rtf_ec_OK;
        EXPECT_NO_THROW(code = doc.LoadRTFFromStream(stream)) << run;
        EXPECT_LE(static_cast<int>(code), static_cast<int>(TRNRTFErrorCode::rtf_ec_Aborted));
        seen.insert(code);
    }
    // The mutations reach the clean ending and several failures.
    EXPECT_TRUE(seen.count(TRNRTFErrorCode::rtf_ec_OK));
    EXPECT_GE(seen.size(), 5u);
}

} // namespace
