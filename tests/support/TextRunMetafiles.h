#pragma once

// Enhanced metafiles of many runs of text in Arial 40 units high, each run its own text record
// one under the other, written as characters or as the font's glyph indices (as Windows programs
// write their text): the converter once looked the font up again for every glyph-index record.

#include "tests/support/MetafileFixtures.h"

#include <QFont>
#include <QList>
#include <QRawFont>
#include <QString>

#include <string>

namespace text_run_metafile {

// `runs` records of `text`, each character advancing 22 units, in a frame of 200 x 100 units.
inline std::string TextRunsEmf(int runs, const QString& text, bool glyphs) {
    using namespace metafile_fixture;
    std::string font;
    for (uint32_t v : {82u, 104u, 1u}) {
        WriteU32(font, v);
    }
    for (int32_t v : {-40, 0, 0, 0, 400}) {
        WriteU32(font, static_cast<uint32_t>(v));
    }
    font.append(8, '\0');
    for (char c : std::string("Arial")) {
        WriteU16(font, static_cast<uint8_t>(c));
    }
    font.resize(104, '\0');
    const QList<quint32> indices = QRawFont::fromFont(QFont("Arial")).glyphIndexesForString(text);
    const auto count = static_cast<int32_t>(text.size());
    const int32_t advancesAt = 76 + (2 * count + 3) / 4 * 4;
    std::string records = font + EmfRecord(37, {1});
    for (int i = 0; i < runs; ++i) {
        std::string record;
        // Type, size, bounds, graphics mode, scales; where the run starts, its length, where its
        // units are, whether they are glyph indices, its clip, where its advances are.
        for (int32_t v : {84, advancesAt + 4 * count, 0, 0, -1, -1, 1, 0, 0, 20, 30 + i % 50, count,
                          76, glyphs ? 0x10 : 0, 0, 0, -1, -1, advancesAt}) {
            WriteU32(record, static_cast<uint32_t>(v));
        }
        for (int k = 0; k < count; ++k) {
            WriteU16(record, glyphs ? indices.value(k) : text[k].unicode());
        }
        record.resize(static_cast<size_t>(advancesAt), '\0');
        for (int k = 0; k < count; ++k) {
            WriteU32(record, 22);
        }
        records += record;
    }
    return EmfOf(records + EmfRecord(14, {0, 16, 20}), static_cast<uint32_t>(runs + 3));
}

} // namespace text_run_metafile
