// Writing a document as RNF: the version record, the background and style records, then the
// items, consecutive one-line paragraphs of equal formatting sharing one header.

#include "platform/base/Files.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleStream.h"
#include "richtext/model/RNUni.h"

#include <charconv>
#include <cstring>

namespace {

std::string JoinFields(std::initializer_list<std::string> fields) {
    std::string line;
    for (const std::string& f : fields) {
        if (!line.empty()) {
            line += ' ';
        }
        line += f;
    }
    return line;
}

std::string N(int value) {
    return std::to_string(value);
}

// Whether cleaning the text would change it: a line end of its kind inside it.
bool HoldsLineEnd(std::string_view text, bool unicode) {
    if (!unicode) {
        // Three library searches outrun one loop testing three bytes at every step.
        return std::memchr(text.data(), '\r', text.size()) ||
               std::memchr(text.data(), '\n', text.size()) ||
               std::memchr(text.data(), '\0', text.size());
    }
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        if (text[i] == '\x29' && text[i + 1] == '\x20') {
            return true;
        }
    }
    return false;
}

class TRNFWriter {
public:
    TRNFWriter(TCustomRNData& data, TStream& stream, const TRNFSettings& settings)
        : data_(data), stream_(stream), options_(settings.Options),
          useNames_(options_.Contains(TRNFOption::rnfoUseStyleNames)),
          strings_(settings.TagsArePChars), binary_(options_.Contains(TRNFOption::rnfoSaveBinary)),
          sheet_(settings.Sheet), root_(settings.Root), itemsExporting_(settings.ItemsExporting) {}

    void Write(bool selectionOnly, TColor color, IRNBackground* background);
    // Writes the whole document after its 4-byte length.
    void WriteCounted();

private:
    void WriteAll(bool selectionOnly, TColor color, IRNBackground* background);
    void Flush();
    // Hands the gathered bytes to the stream.
    void Send();
    // Sets the length before a counted document that went out in more than one piece.
    void CountWritten();
    void AppendLine(std::string_view text, bool unicode = false);
    // Kept inline: a record is a handful of short pieces.
    void Append(std::string_view bytes) {
        if (bytes.size() > sizeof pending_ - pendingSize_) {
            AppendOverflow(bytes);
            return;
        }
        std::memcpy(pending_ + pendingSize_, bytes.data(), bytes.size());
        pendingSize_ += bytes.size();
    }
    void AppendOverflow(std::string_view bytes);
    void WriteBackground(TColor color, IRNBackground& background);
    void WriteStyles(const TRNStyle& sheet);
    // The offsets count only when the range is not `whole`.
    void WriteItems(int first, int last, int startOffs, int endOffs, bool whole);
    void WriteCheckpoint(const TRNCPInfo* cp);
    void WriteTextHeader(const TCustomRNItemInfo& item, int lineCount, int paraNo);
    void WriteTextLine(int itemNo, std::string_view text);
    // Kept inline for a single digit, as most header fields are: every table cell writes a
    // header of its own.
    void AppendNumber(int value) {
        if (static_cast<unsigned>(value) < 10 && pendingSize_ < sizeof pending_) {
            pending_[pendingSize_++] = static_cast<char>('0' + value);
            return;
        }
        AppendDigits(value);
    }
    void AppendDigits(int value);
    void WritePartial(int itemNo, int from, int to);
    void FlushGroup();
    bool JoinsGroup(const TCustomRNItemInfo& item) const;
    int ParaRef(const TCustomRNItemInfo& item) const {
        return item.GetSameAsPrev() ? -1 : item.ParaNo;
    }

    TCustomRNData& data_;
    TStream& stream_;
    TRNFOptions options_;
    bool useNames_ = false;
    bool strings_ = false;
    bool binary_ = false;
    const TRNStyle* sheet_ = nullptr;
    const TCustomRNData* root_ = nullptr;
    bool itemsExporting_ = false;
    // Bytes not yet handed to the stream: the short records of text are gathered and written
    // at once, as a cell's document is mostly a few of them and every write is a virtual call.
    // A fixed block rather than a string: a string would cost every cell an allocation.
    char pending_[1024];
    size_t pendingSize_ = 0;
    // Whether any bytes went to the stream yet, and where in the stream the first went.
    bool flushed_ = false;
    int64_t start_ = 0;
    // The open group: its head and how many items follow from it.
    int groupHead_ = -1;
    int groupCount_ = 0;
};

void TRNFWriter::Write(bool selectionOnly, TColor color, IRNBackground* background) {
    try {
        WriteAll(selectionOnly, color, background);
    } catch (...) {
        // What was gathered before the fault is written all the same.
        Flush();
        throw;
    }
    Flush();
}

void TRNFWriter::WriteCounted() {
    Append(std::string_view("\0\0\0\0", 4));
    try {
        WriteAll(false, clNone, nullptr);
    } catch (...) {
        // What was written so far is counted all the same.
        Flush();
        CountWritten();
        throw;
    }
    if (flushed_) {
        Flush();
        CountWritten();
        return;
    }
    // A cell's document is short: its length is set before it goes out, saving the stream a
    // seek back and a second write.
    RNFPutByteCount(pending_, static_cast<uint32_t>(pendingSize_ - 4));
    Send();
}

void TRNFWriter::Flush() {
    if (pendingSize_ > 0) {
        // Every other write to the stream comes after a flush: the first one marks where the
        // document starts, so a document that goes out in one piece never asks the stream.
        if (!flushed_) {
            start_ = stream_.Position();
            flushed_ = true;
        }
        Send();
    }
}

void TRNFWriter::Send() {
    stream_.WriteString(std::string_view(pending_, pendingSize_));
    pendingSize_ = 0;
}

void TRNFWriter::CountWritten() {
    const int64_t end = stream_.Position();
    char count[4];
    RNFPutByteCount(count, static_cast<uint32_t>(end - start_ - 4));
    stream_.SetPosition(start_);
    stream_.WriteBuffer(count, 4);
    stream_.SetPosition(end);
}

void TRNFWriter::AppendLine(std::string_view text, bool unicode) {
    Append(text);
    Append(unicode ? std::string_view("\x29\x20", 2) : std::string_view("\r\n"));
}

void TRNFWriter::AppendOverflow(std::string_view bytes) {
    Flush();
    if (bytes.size() > sizeof pending_) {
        stream_.WriteString(bytes);
        flushed_ = true;
        return;
    }
    std::memcpy(pending_, bytes.data(), bytes.size());
    pendingSize_ = bytes.size();
}

void TRNFWriter::WriteAll(bool selectionOnly, TColor color, IRNBackground* background) {
    Append("-8 1 2\r\n");
    if (!selectionOnly && options_.Contains(TRNFOption::rnfoSaveBack) && background) {
        WriteBackground(color, *background);
    }
    if (root_ == &data_ && sheet_) {
        WriteStyles(*sheet_);
    }
    // Only a selection has limits to ask for: the whole document is every item, whole.
    int first = 0, last = data_.ItemCount() - 1, startOffs = 0, endOffs = 0;
    if (selectionOnly) {
        data_.RNFGetLimits(true, first, last, startOffs, endOffs);
    }
    if (first < 0 || first > last || last >= data_.ItemCount()) {
        return;
    }
    if (itemsExporting_) {
        WriteItems(first, last, startOffs, endOffs, !selectionOnly);
        return;
    }
    data_.StartPartialExport(first, last);
    try {
        WriteItems(first, last, startOffs, endOffs, !selectionOnly);
    } catch (...) {
        data_.EndPartialExport(first, last);
        throw;
    }
    data_.EndPartialExport(first, last);
}

void TRNFWriter::WriteBackground(TColor color, IRNBackground& background) {
    Flush();
    TBitmap& bitmap = background.Bitmap();
    int style = static_cast<int>(background.GetStyle());
    if (bitmap.Empty() || background.GetStyle() == TBackgroundStyle::bsNoBitmap) {
        RNFWriteLine(stream_, JoinFields({"-7", "0", "-1", "0", "0", "0", N(style), N(color)}));
        return;
    }
    RNFWriteLine(stream_,
                 JoinFields({"-7", "2", "0", "0", binary_ ? "2" : "0", "0", N(style), N(color)}));
    RNFWriteLine(stream_, bitmap.ClassName());
    if (binary_) {
        RNFSavePictureBinary(stream_, bitmap);
    } else {
        RNFWriteLine(stream_, RNFSavePicture(bitmap));
    }
}

void TRNFWriter::WriteStyles(const TRNStyle& sheet) {
    Flush();
    auto record = [&](int kind, const std::string& bytes) {
        RNFCheckLine(sheet.Name);
        RNFWriteLine(stream_, JoinFields({"-9", "2", "0", "0", binary_ ? "2" : "0", "0", N(kind)}));
        RNFWriteLine(stream_, sheet.Name);
        RNFWriteBody(stream_, bytes, binary_);
    };
    if (options_.Contains(TRNFOption::rnfoSaveTextStyles)) {
        TWriter writer;
        RN_WriteTextStyles(writer, sheet.TextStyles());
        record(1, writer.Bytes());
    }
    if (options_.Contains(TRNFOption::rnfoSaveParaStyles)) {
        TWriter writer;
        RN_WriteParaStyles(writer, sheet.ParaStyles());
        record(2, writer.Bytes());
    }
}

void TRNFWriter::WriteCheckpoint(const TRNCPInfo* cp) {
    if (!cp) {
        return;
    }
    RNFCheckLine(cp->Name);
    AppendLine(JoinFields(
        {"-2", "1", "0", "0", "0", RNFSaveTag(strings_, cp->Tag), cp->RaiseEvent ? "1" : "0"}));
    AppendLine(cp->Name);
}

void TRNFWriter::WriteTextHeader(const TCustomRNItemInfo& item, int lineCount, int paraNo) {
    // Numbers go straight into the gathered bytes: a cell's document is mostly this header and
    // its one line, so the header is worth building without temporaries.
    if (useNames_ && sheet_) {
        Append(RNFSaveText(sheet_, true, item.StyleNo));
    } else {
        AppendNumber(item.StyleNo);
    }
    Append(" ");
    AppendNumber(lineCount);
    Append(" ");
    if (useNames_ && sheet_) {
        Append(RNFSavePara(sheet_, true, paraNo));
    } else {
        AppendNumber(paraNo);
    }
    Append(" ");
    AppendNumber(static_cast<int>(item.ItemOptions.Bits() & RNItemOptionsStoredMask));
    Append(" 0 ");
    if (strings_) {
        Append(RNFSaveTag(true, item.Tag));
    } else {
        AppendNumber(item.Tag.AsInt());
    }
    Append("\r\n");
}

void TRNFWriter::AppendDigits(int value) {
    // The digits go where they belong, not through a copy.
    constexpr size_t MaxDigits = 11;
    if (sizeof pending_ - pendingSize_ < MaxDigits) {
        Flush();
    }
    char* const at = pending_ + pendingSize_;
    pendingSize_ += static_cast<size_t>(std::to_chars(at, at + MaxDigits, value).ptr - at);
}

void TRNFWriter::WriteTextLine(int itemNo, std::string_view text) {
    bool unicode = data_.GetItem(itemNo).ItemOptions.Contains(TRNItemOption::rnioUnicode);
    // Item texts are cleaned when they are inserted; one that is not would cut its record.
    if (HoldsLineEnd(text, unicode)) {
        throw ERichNoteError("Item " + N(itemNo) + " holds a line end");
    }
    AppendLine(text, unicode);
}

void TRNFWriter::WritePartial(int itemNo, int from, int to) {
    const TCustomRNItemInfo& item = data_.GetItem(itemNo);
    bool atStart = from <= data_.GetOffsBeforeItem(itemNo);
    int paraNo = atStart ? ParaRef(item) : -1;
    std::string part = RNU_Copy(data_.GetItemText(itemNo), from, to - from, item.ItemOptions);
    if (paraNo == -1 && part.empty()) {
        return;
    }
    if (atStart) {
        WriteCheckpoint(item.Checkpoint.get());
    }
    WriteTextHeader(item, 1, paraNo);
    WriteTextLine(itemNo, part);
}

bool TRNFWriter::JoinsGroup(const TCustomRNItemInfo& item) const {
    if (groupHead_ < 0 || item.GetSameAsPrev() || item.Checkpoint) {
        return false;
    }
    const TCustomRNItemInfo& head = data_.GetItem(groupHead_);
    return item.StyleNo == head.StyleNo && item.ParaNo == ParaRef(head) &&
           (item.ItemOptions.Bits() & RNItemOptionsStoredMask) ==
               (head.ItemOptions.Bits() & RNItemOptionsStoredMask) &&
           RN_CompareTags(item.Tag, head.Tag, strings_);
}

void TRNFWriter::FlushGroup() {
    if (groupHead_ >= 0 && groupCount_ > 0) {
        const TCustomRNItemInfo& head = data_.GetItem(groupHead_);
        WriteCheckpoint(head.Checkpoint.get());
        WriteTextHeader(head, groupCount_, ParaRef(head));
        for (int i = groupHead_; i < groupHead_ + groupCount_; ++i) {
            WriteTextLine(i, data_.GetItemText(i));
        }
    }
    groupHead_ = -1;
    groupCount_ = 0;
}

void TRNFWriter::WriteItems(int first, int last, int startOffs, int endOffs, bool whole) {
    // A selection may cut its first and last items; the whole document starts and ends at
    // item bounds, and its offsets need not be worked out.
    const int lastEnd = whole ? 0 : data_.GetOffsAfterItem(last);
    const bool cutsFirst = !whole && startOffs > data_.GetOffsBeforeItem(first);
    const bool cutsLast = !whole && endOffs < lastEnd;
    if (first == last && (cutsFirst || cutsLast)) {
        if (data_.GetItem(first).IsText()) {
            WritePartial(first, startOffs, endOffs);
        }
    } else {
        for (int i = first; i <= last; ++i) {
            TCustomRNItemInfo& item = data_.GetItem(i);
            if (i == first && cutsFirst) {
                if (item.IsText()) {
                    WritePartial(i, startOffs, data_.GetOffsAfterItem(i));
                }
                continue;
            }
            if (item.IsText()) {
                if (JoinsGroup(item)) {
                    ++groupCount_;
                } else {
                    FlushGroup();
                    groupHead_ = i;
                    groupCount_ = 1;
                }
                continue;
            }
            FlushGroup();
            if (i != last || whole || endOffs == 1) {
                WriteCheckpoint(item.Checkpoint.get());
                Flush();
                item.SaveRNF(stream_, data_, i, ParaRef(item), data_.GetItemText(i));
            }
        }
        if (cutsLast && data_.GetItem(last).IsText()) {
            if (groupHead_ >= 0) {
                --groupCount_;
            }
            FlushGroup();
            WritePartial(last, data_.GetOffsBeforeItem(last), endOffs);
        } else {
            FlushGroup();
        }
    }
    // The end checkpoint belongs after the last item: written whenever the range reaches it.
    if (last == data_.ItemCount() - 1 && (whole || endOffs >= lastEnd)) {
        WriteCheckpoint(data_.NotAddedCP.get());
    }
}

} // namespace

bool TCustomRNData::SaveRNFToStream(TStream& stream, bool selectionOnly, TColor color,
                                    IRNBackground* background) {
    if (ItemCount() == 0) {
        return true;
    }
    try {
        TRNFWriter(*this, stream, RNFSettings()).Write(selectionOnly, color, background);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TCustomRNData::SaveRNF(const std::string& fileName, bool selectionOnly, TColor color,
                            IRNBackground* background) {
    TMemoryStream stream;
    if (!SaveRNFToStream(stream, selectionOnly, color, background)) {
        return false;
    }
    std::string error;
    return WriteFileAtomic(fileName, stream.Memory(), stream.Bytes().size(), error);
}

void TCustomRNData::RNFGetLimits(bool, int& startItem, int& endItem, int& startOffs, int& endOffs) {
    if (ItemCount() == 0) {
        startItem = endItem = -1;
        startOffs = endOffs = 0;
        return;
    }
    startItem = 0;
    endItem = ItemCount() - 1;
    startOffs = GetOffsBeforeItem(startItem);
    endOffs = GetOffsAfterItem(endItem);
}

TRNFSettings TCustomRNData::RNFSettings() {
    return {GetRootData(), GetRNFOptions(), GetOptions().Contains(TRNOption::rnoTagsArePChars),
            GetRNStyle()};
}

bool TCustomRNData::DataWriter(TStream& stream) {
    return DataWriter(stream, RNFSettings());
}

bool TCustomRNData::DataWriter(TStream& stream, const TRNFSettings& settings) {
    if (ItemCount() == 0) {
        stream.WriteBuffer("\0\0\0\0", 4);
        return true;
    }
    auto write = [&](const TRNFSettings& used) {
        try {
            TRNFWriter(*this, stream, used).WriteCounted();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    };
    // A cell's document never writes a background; the settings need no copy without one.
    if (!settings.Options.Contains(TRNFOption::rnfoSaveBack)) {
        return write(settings);
    }
    // The root goes without the background only for the while: what the items write may ask
    // it.
    TRNFSettings own = settings;
    own.Options.Exclude(TRNFOption::rnfoSaveBack);
    TCustomRNData* root = settings.Root != this ? settings.Root : this;
    root->SetRNFOptions(own.Options);
    const bool ok = write(own);
    root->SetRNFOptions(settings.Options);
    return ok;
}
