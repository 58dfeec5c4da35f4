// Plain text in and out of a document: one text item per line, 8-bit in the style's code
// page or UTF-16LE, paragraphs separated by CR LF.

#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "platform/base/TextLineReader.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <memory>

namespace {

bool IsUnicodeStyle(const TCustomRNData& data, int styleNo) {
    const TRNStyle* sheet = data.GetRNStyle();
    return sheet && styleNo >= 0 && styleNo < sheet->TextStyles().Count() &&
           sheet->TextStyles()[styleNo].Unicode;
}

constexpr std::string_view CrLfW("\r\0\n\0", 4);

} // namespace

bool TCustomRNData::LoadText(const std::string& fileName, int styleNo, int paraNo,
                             bool asSingleParagraph) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadFileWhole(fileName, size);
    if (!bytes) {
        return false;
    }
    bool allowNewPara = AllowNewPara;
    bool unicode = IsUnicodeStyle(*this, styleNo);
    TTextLineReader reader(std::string_view(bytes.get(), size));
    std::string_view line;
    while (reader.ReadLine(line)) {
        std::string s(line);
        Replace0(s);
        if (unicode) {
            s = RNU_AnsiToUnicode(GetStyleCodePage(styleNo), s);
        }
        AddNL(std::move(s), styleNo, paraNo);
        if (asSingleParagraph) {
            SetAddParagraphMode(false);
        }
    }
    SetAddParagraphMode(allowNewPara);
    return true;
}

bool TCustomRNData::LoadTextW(const std::string& fileName, int styleNo, int paraNo,
                              bool asSingleParagraph) {
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadFileWhole(fileName, size);
    if (!bytes) {
        return false;
    }
    if (size % 2 != 0) {
        throw ERichNoteError("Can't perform Unicode operation");
    }
    std::string text(bytes.get(), size);
    if (text.size() >= 2 && text.compare(0, 2, "\xFF\xFE") == 0) {
        text.erase(0, 2);
    } else if (text.size() >= 2 && text.compare(0, 2, "\xFE\xFF") == 0) {
        text.erase(0, 2);
        RNU_SwapWordBytes(text.data(), text.size() / 2);
    }
    AddTextNLW(text, styleNo, paraNo, paraNo, asSingleParagraph);
    return true;
}

void TCustomRNData::AddTextNLW(std::string_view text, int styleNo, int firstParaNo, int otherParaNo,
                               bool asSingleParagraph) {
    RNCheckUni(text.size());
    if (text.empty()) {
        if (firstParaNo != -1) {
            AddNL({}, styleNo, firstParaNo);
        }
        return;
    }
    std::u16string units = RNU_BytesToU16(text);
    const bool allowNewPara = AllowNewPara;
    struct RestoreMode {
        TCustomRNData& data;
        bool mode;
        ~RestoreMode() { data.SetAddParagraphMode(mode); }
    } restore{*this, allowNewPara};
    // How the segment being cut starts: the first goes on where the text is added, the others
    // start a paragraph or, as the 8-bit reading does, a new line inside the paragraph.
    enum class Start { First, Paragraph, Line } starts = Start::First;
    int paraNo = firstParaNo;
    size_t start = 0;
    auto add = [&](size_t end) {
        std::u16string_view segment(units.data() + start, end - start);
        int segmentPara = paraNo;
        if (starts == Start::Line && segmentPara == -1) {
            // A line of its own even where the caller asks the text to go on: it keeps the
            // paragraph of the line before it.
            segmentPara = ItemCount() > 0 ? GetItem(ItemCount() - 1).ParaNo : 0;
        }
        SetAddParagraphMode(starts == Start::Line ? false : allowNewPara);
        if (!segment.empty() || segmentPara != -1) {
            AddNLWTag(segment, styleNo, segmentPara, {});
        }
        paraNo = otherParaNo;
    };
    for (size_t i = 0; i < units.size(); ++i) {
        char16_t u = units[i];
        bool lineEnd = u == u'\r' || u == u'\n';
        if (!lineEnd && u != 0x2029 && u != 0x2028 && u != 0x000B && u != 0) {
            continue;
        }
        add(i);
        if (lineEnd && i + 1 < units.size() && units[i + 1] != u &&
            (units[i + 1] == u'\r' || units[i + 1] == u'\n')) {
            ++i;
        }
        starts = u == 0x2029 || (lineEnd && !asSingleParagraph) ? Start::Paragraph : Start::Line;
        start = i + 1;
    }
    add(units.size());
}

bool TCustomRNData::SaveTextToStream(const std::string& path, TStream& stream, int lineWidth,
                                     bool selectionOnly, bool textOnly, bool unicode) {
    int first = -1, last = -1, startOffs = 0, endOffs = 0;
    RNFGetLimits(selectionOnly, first, last, startOffs, endOffs);
    if (first < 0 || first > last || last >= ItemCount()) {
        return true;
    }
    unsigned defaultCodePage = GetDefaultCodePage();
    auto plain = [&](std::string_view s) {
        stream.WriteString(unicode ? RNU_AnsiToUnicode(defaultCodePage, s) : std::string(s));
    };
    StartPartialExport(first, last);
    try {
        for (int i = first; i <= last; ++i) {
            TCustomRNItemInfo& item = GetItem(i);
            const std::string& text = GetItemText(i);
            if (i > first && !item.GetSameAsPrev()) {
                stream.WriteString(unicode ? CrLfW : std::string_view("\r\n"));
            }
            if (!item.IsText()) {
                bool inRange = (i != first || startOffs == 0) && (i != last || endOffs == 1);
                if (!inRange ||
                    (textOnly && !item.GetBoolValue(TRNItemBoolProperty::rnbpAlwaysInText))) {
                    continue;
                }
                std::string s = item.AsText(lineWidth, *this, text, path, textOnly, unicode);
                if (unicode && item.GetBoolValue(TRNItemBoolProperty::rnbpCanSaveUnicode)) {
                    stream.WriteString(s);
                } else {
                    plain(s);
                }
                continue;
            }
            int from = i == first ? startOffs : 1;
            int to = i == last ? endOffs : RNU_Length(text, item.ItemOptions) + 1;
            std::string part = RNU_Copy(text, from, to - from, item.ItemOptions);
            bool itemUnicode = item.ItemOptions.Contains(TRNItemOption::rnioUnicode);
            if (itemUnicode && !unicode) {
                part = RNU_UnicodeToAnsi(defaultCodePage, part);
            } else if (!itemUnicode && unicode) {
                part = RNU_AnsiToUnicode(GetStyleCodePage(item.StyleNo), part);
            }
            stream.WriteString(part);
        }
    } catch (...) {
        EndPartialExport(first, last);
        throw;
    }
    EndPartialExport(first, last);
    return true;
}

bool TCustomRNData::SaveText(const std::string& fileName, int lineWidth, bool unicode) {
    TMemoryStream stream;
    std::string folder = fileName.substr(0, fileName.find_last_of('/') + 1);
    if (!SaveTextToStream(folder, stream, lineWidth, false, false, unicode)) {
        return false;
    }
    std::string error;
    return WriteFileAtomic(fileName, stream.Memory(), stream.Bytes().size(), error);
}
