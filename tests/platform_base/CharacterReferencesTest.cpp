#include "platform/base/CharacterReferences.h"

#include <gtest/gtest.h>

TEST(CharacterReferences, DecodeTable) {
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"A &#8212; B", "A \xE2\x80\x94 B"},
        {"A &#x2014; B &#X2014;", "A \xE2\x80\x94 B \xE2\x80\x94"},
        {"&mdash;&amp;&lt;&gt;&quot;&apos;&nbsp;", "\xE2\x80\x94&<>\"'\xC2\xA0"},
        {"&AElig;&aelig;&euro;", "\xC3\x86\xC3\xA6\xE2\x82\xAC"},
        // Each layer of escaping is undone once: a doubly escaped reference keeps one layer.
        {"&amp;#8212;", "&#8212;"},
        // A number may end without ";", a name may not.
        {"&#65B &#x41", "AB A"},
        {"&mdash &amp", "&mdash &amp"},
        // Not references: left exactly as they are.
        {"& &; &#; &#x; &#xG; &unknown; a&b", "& &; &#; &#x; &#xG; &unknown; a&b"},
        {"&", "&"},
        {"&#", "&#"},
        {"x&amp", "x&amp"},
        // Beyond Unicode, zero and surrogates: the replacement character.
        {"&#0;&#xD800;&#x110000;&#99999999999999999999;", "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"
                                                          "\xEF\xBF\xBD"},
        // 128-159 as browsers read them; 129 has no Windows-1252 character.
        {"&#150;&#128;&#129;", "\xE2\x80\x93\xE2\x82\xAC\xC2\x81"},
        {"&#x1F600;&#127;", "\xF0\x9F\x98\x80\x7F"},
        {"\xC3\xA9t\xC3\xA9 &amp; caf\xC3\xA9", "\xC3\xA9t\xC3\xA9 & caf\xC3\xA9"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeCharacterReferences(c.text), c.expected) << c.text;
    }
}

TEST(CharacterReferences, DecodingIsStableOnceNoReferenceIsLeft) {
    // What a title becomes when taken is what it shows: decoding it again changes nothing.
    for (const char* text : {"A &#8212; B", "R&amp;D", "&lt;b&gt;", "&#38;", "a & b"}) {
        const std::string once = DecodeCharacterReferences(text);
        if (once.find('&') == std::string::npos) {
            EXPECT_EQ(DecodeCharacterReferences(once), once) << text;
        }
    }
    EXPECT_EQ(DecodeCharacterReferences("&#38;amp;"), "&amp;");
}
