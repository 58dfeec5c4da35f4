// The text of enhanced metafiles through the converter, as the program converts them (in the
// process started afresh): text given as glyph indices is drawn as the characters of its font
// and costs no more than other text, 8-bit text is read in its font's code page, and text or a
// font name holding markup stays text.
#include "platform/graphics/EmfTextRecords.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafileRecords.h"
#include "tests/support/MetafileFixtures.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QRawFont>
#include <QXmlStreamReader>

#include <map>

using namespace metafile_fixture;

namespace {

struct TFontSpec {
    std::u16string Face;
    int Weight = 400;
    bool Italic = false;
    uint8_t Charset = 1;
};

// A font record in slot `slot`: 40 units high.
std::string FontRecord(uint32_t slot, const TFontSpec& font) {
    std::string r;
    WriteU32(r, 82);
    WriteU32(r, 104);
    WriteU32(r, slot);
    for (int32_t v : {-40, 0, 0, 0, font.Weight}) {
        WriteU32(r, static_cast<uint32_t>(v));
    }
    r += std::string{font.Italic ? '\1' : '\0', '\0', '\0', static_cast<char>(font.Charset)};
    r.append(4, '\0');
    for (char16_t c : font.Face) {
        WriteU16(r, c);
    }
    r.resize(104, '\0');
    return r;
}

// A text record at (20, 30 + 45 * line): 16-bit units (characters, or glyph indices when
// `options` says so) for type 84, bytes for 83, each advancing 20 units.
std::string TextRecord(uint32_t type, const std::string& units, size_t count, uint32_t options,
                       int line) {
    const uint32_t stringBytes = static_cast<uint32_t>((units.size() + 3) / 4 * 4);
    std::string r;
    WriteU32(r, type);
    WriteU32(r, 0);
    for (int32_t v : {0, 0, -1, -1, 1, 0, 0}) { // bounds, graphics mode, scales
        WriteU32(r, static_cast<uint32_t>(v));
    }
    for (int32_t v :
         {20, 30 + 45 * line, static_cast<int32_t>(count), 76, static_cast<int32_t>(options), 0, 0,
          -1, -1, static_cast<int32_t>(76 + stringBytes)}) {
        WriteU32(r, static_cast<uint32_t>(v));
    }
    r += units;
    r.resize(76 + stringBytes, '\0');
    for (size_t i = 0; i < count; ++i) {
        WriteU32(r, 20);
    }
    r.replace(4, 4,
              std::string{static_cast<char>(r.size() & 0xFF), static_cast<char>(r.size() >> 8),
                          '\0', '\0'});
    return r;
}

std::string Units(const std::u16string& text) {
    std::string out;
    for (char16_t c : text) {
        WriteU16(out, c);
    }
    return out;
}

// The glyph indices of `text` in the font found here for `font`.
std::string Glyphs(const std::u16string& text, const TFontSpec& font) {
    QFont wanted(QString::fromStdU16String(font.Face));
    wanted.setWeight(static_cast<QFont::Weight>(font.Weight));
    wanted.setItalic(font.Italic);
    const QList<quint32> glyphs =
        QRawFont::fromFont(wanted).glyphIndexesForString(QString::fromStdU16String(text));
    std::string out;
    for (quint32 g : glyphs) {
        WriteU16(out, g);
    }
    return out;
}

std::string Select(uint32_t slot) {
    return EmfRecord(37, {static_cast<int32_t>(slot)});
}

// A metafile of `records` 400 x 200 units large, black text on no background.
std::string Picture(const std::string& records, uint32_t count) {
    return EmfOf(EmfRecord(24, {0}) + EmfRecord(18, {1}) + records + EmfRecord(14, {0, 16, 20}),
                 count + 3, 400, 200);
}

// What the converter answered: its elements by name, and its text elements' text and font.
struct TConverted {
    std::map<QString, int> Elements;
    std::vector<std::u16string> Texts;
    std::vector<QString> Families;
};

TConverted Converted(const std::string& emf) {
    ReadMetafileLayout(emf); // a picture the program loads
    const std::string svg = ConvertWithinBounds(emf, 400, 200);
    TConverted out;
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement) {
            ++out.Elements[xml.name().toString()];
            if (xml.name() == u"text") {
                out.Families.push_back(xml.attributes().value("font-family").toString());
                out.Texts.push_back(xml.readElementText().toStdU16String());
            }
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_FALSE(svg.empty());
    return out;
}

} // namespace

// 300 runs of glyph indices were 300 font lookups in the converter, 2 seconds: the picture
// reached the converter's time and was a frame.
TEST(EmfText, ThreeHundredRunsOfGlyphIndicesConvertToTheirText) {
    const TFontSpec arial{u"Arial"};
    std::string records = FontRecord(1, arial) + Select(1);
    for (int i = 0; i < 300; ++i) {
        records += TextRecord(84, Glyphs(u"Hello", arial), 5, 0x10, i % 4);
    }
    const TConverted converted = Converted(Picture(records, 302));
    ASSERT_EQ(converted.Texts.size(), 300u);
    for (const std::u16string& text : converted.Texts) {
        EXPECT_EQ(text, u"Hello");
    }
}

TEST(EmfText, GlyphsAreTheCharactersOfTheFontInUse) {
    const TFontSpec sans{u"Arial"};
    const TFontSpec serif{u"Times New Roman", 700, true};
    const TFontSpec mono{u"Courier New"};
    // The sans font is kept, the serif one chosen and used, the sans one brought back; the
    // mono one is made in a slot that held a font and is deleted before it is chosen.
    std::string records =
        FontRecord(1, sans) + FontRecord(2, serif) + Select(1) + EmfRecord(33, {}) + Select(2) +
        TextRecord(84, Glyphs(u"Ωμέγα & ſerif", serif), 13, 0x10, 0) + EmfRecord(34, {-1}) +
        TextRecord(84, Glyphs(u"Grüße €1", sans), 8, 0x10, 1) + FontRecord(2, mono) +
        EmfRecord(40, {2}) + Select(2) +
        // An 8-bit record of glyph indices gives them 16 bits, as wide text.
        TextRecord(83, Glyphs(u"fine", sans), 4, 0x10, 2);
    const TConverted converted = Converted(Picture(records, 12));
    ASSERT_EQ(converted.Texts.size(), 3u);
    EXPECT_EQ(converted.Texts[0], u"Ωμέγα & ſerif");
    EXPECT_EQ(converted.Texts[1], u"Grüße €1");
    EXPECT_EQ(converted.Texts[2], u"fine");
}

TEST(EmfText, EightBitTextIsReadInItsFontsCodePage) {
    const std::string records = FontRecord(1, {u"Arial"}) + Select(1) +
                                TextRecord(83, "caf\xE9 \x80", 6, 0, 0) +
                                FontRecord(2, {u"Arial", 400, false, 204}) + Select(2) + // Cyrillic
                                TextRecord(83, "\xCF\xF0\xE8\xE2\xE5\xF2", 6, 0, 1);
    const TConverted converted = Converted(Picture(records, 6));
    ASSERT_EQ(converted.Texts.size(), 2u);
    EXPECT_EQ(converted.Texts[0], u"café €");
    EXPECT_EQ(converted.Texts[1], u"Привет");
}

// "]]>" in text ended the section the converter writes text in, and what followed became
// markup; a font's name went into quotes as it was.
TEST(EmfText, TextAndFontNamesHoldingMarkupStayText) {
    const std::u16string text = u"a]]><rect width=\"400\" height=\"200\"/>]]]>z";
    const std::u16string face = u"A&B \"C\" <D>";
    // A name longer than the record's field once written as XML is cut short.
    const std::u16string markup = u"\"/><rect width=\"400\"/><a b=\"";
    const std::string records =
        FontRecord(1, {face}) + Select(1) + TextRecord(84, Units(text), text.size(), 0, 0) +
        TextRecord(84, Units(u"]]"), 2, 0, 1) + TextRecord(84, Units(u">"), 1, 0, 2) +
        FontRecord(2, {markup}) + Select(2) + TextRecord(84, Units(u"x"), 1, 0, 3);
    const TConverted converted = Converted(Picture(records, 8));
    EXPECT_EQ(converted.Elements.count(u"rect"_qs), 0u);
    ASSERT_EQ(converted.Texts.size(), 4u);
    EXPECT_EQ(converted.Texts[0], text);
    EXPECT_EQ(converted.Texts[1], u"]]");
    EXPECT_EQ(converted.Texts[2], u">");
    EXPECT_EQ(converted.Families[0].toStdU16String(), face);
    const std::u16string cut = converted.Families[3].toStdU16String();
    EXPECT_FALSE(cut.empty());
    EXPECT_EQ(markup.substr(0, cut.size()), cut);
}

TEST(EmfText, UnitsThatAreNoTextAreLeftOutOrReplaced) {
    // Glyph 0xFFFF shows no character: left out, its advance going to the character before it.
    class TLetters : public TGlyphCharacters {
    public:
        char16_t CharacterOf(const TEmfTextFont& font, uint32_t glyph) override {
            EXPECT_EQ(font.Face, u"Arial");
            return glyph < 26 ? static_cast<char16_t>(u'a' + glyph) : 0;
        }
    } letters;
    std::string glyphs;
    for (uint32_t g : {0u, 0xFFFFu, 1u}) {
        WriteU16(glyphs, g);
    }
    const std::string emf =
        Picture(FontRecord(1, {u"Arial"}) + Select(1) + TextRecord(84, glyphs, 3, 0x10, 0) +
                    TextRecord(84,
                               Units(std::u16string(u"1\u00002\xD800"
                                                    u"3\xFFFE"
                                                    u"4\U0001F600",
                                                    9)),
                               9, 0, 1),
                4);
    const std::string written = EmfWithConvertibleText(emf, &letters);
    std::vector<std::string> texts;
    ForEachEmfRecord(written, [&](uint32_t type, std::string_view record) {
        if (type == 84) {
            texts.emplace_back(record);
        }
    });
    ASSERT_EQ(texts.size(), 2u);
    // Characters now, with the advances that go with them.
    const std::string& first = texts[0];
    EXPECT_EQ(ReadU32(first, 44), 2u);
    EXPECT_EQ(ReadU32(first, 52), 0u);
    EXPECT_EQ(first.substr(ReadU32(first, 48), 4), Units(u"ab"));
    EXPECT_EQ(ReadU32(first, ReadU32(first, 72)), 40u);
    EXPECT_EQ(ReadU32(first, ReadU32(first, 72) + 4), 20u);
    EXPECT_EQ(ReadU32(first, 4), first.size());
    const std::string& second = texts[1];
    EXPECT_EQ(second.substr(ReadU32(second, 48), 2 * ReadU32(second, 44)),
              Units(u"12\uFFFD3\uFFFD4\U0001F600"));
    // The header's size follows the records.
    EXPECT_EQ(ReadU32(written, 48), written.size());
    EXPECT_NO_THROW(ReadMetafileLayout(written));

    // Without anything to read glyphs with, a record of glyph indices stays as it was.
    const std::string kept = EmfWithConvertibleText(emf, nullptr);
    EXPECT_NE(kept.find(glyphs), std::string::npos);
}

TEST(EmfText, ATextRecordWhoseCharactersLieOutsideItIsLeftOut) {
    std::string past = TextRecord(84, Units(u"abc"), 3, 0, 0);
    past.replace(44, 4, std::string("\xFF\xFF\x00\x00", 4)); // 65,535 characters
    std::string before = TextRecord(84, Units(u"abc"), 3, 0, 0);
    before.replace(48, 4, std::string("\x00\x01\x00\x00", 4)); // from byte 256
    const std::string emf = Picture(past + before + TextRecord(84, Units(u"ok"), 2, 0, 1), 3);
    const std::string written = EmfWithConvertibleText(emf, nullptr);
    EXPECT_EQ(ReadU32(written, 52), ReadU32(emf, 52) - 2);
    const TConverted converted = Converted(written);
    ASSERT_EQ(converted.Texts.size(), 1u);
    EXPECT_EQ(converted.Texts[0], u"ok");
}
