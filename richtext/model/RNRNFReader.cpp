// Reading RNF into a document. The whole rest of the stream is taken at once and walked line
// by line; each line is delimited by the read mode (text, binary, UTF-16) and acted on by the
// read state (header, data, skipped data). Every count and number is checked against what is
// there before it is used, so a damaged note fails with a reason instead of reading astray.

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNItemRegistry.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleStream.h"
#include "richtext/model/RNUni.h"

#include <cstring>
#include <limits>
#include <optional>

namespace {

constexpr int KindVersion = -8;
constexpr int KindBackground = -7;
constexpr int KindStyles = -9;
constexpr int KindCheckpoint = -2;
constexpr int SaveTypeBinary = 2;
constexpr unsigned char CollectionValue = 14;

bool Fits16(int value) {
    return value >= std::numeric_limits<int16_t>::min() &&
           value <= std::numeric_limits<int16_t>::max();
}

class TRNFReader {
public:
    TRNFReader(TCustomRNData& data, std::string_view bytes, int index, int paraNo,
               bool allowReplaceStyles, bool appendMode, bool editorCall, TColor& color,
               IRNBackground* background, TRNFReadResult& result, const TRNFSettings& settings)
        : data_(data), buf_(bytes), index_(index), firstParaNo_(paraNo),
          allowReplace_(allowReplaceStyles), append_(appendMode), editor_(editorCall),
          color_(color), background_(background), result_(result), strings_(settings.TagsArePChars),
          options_(settings.Options), sheet_(settings.Sheet) {}
    ~TRNFReader() { Reattach(); }
    TRNFReader(const TRNFReader&) = delete;
    TRNFReader& operator=(const TRNFReader&) = delete;

    // Raises ERNFReadError (or whatever a picture or style reader raises) on damaged input.
    void Run();
    // Puts back or frees the pending checkpoint once the read is over.
    void Finish(bool ok);
    // Where the read is, for the reason of a failure.
    std::string Where() const {
        return "record " + std::to_string(recordNo_) + ", line " + std::to_string(lineNo_) + ": ";
    }

private:
    [[noreturn]] void Fail(const std::string& what) const { throw ERNFReadError(Where() + what); }
    bool NextLine(std::string_view& line);
    void StepOverLineEnd();
    void ParseHeader(std::string_view p);
    void ParseFields(std::string_view p);
    void BeginRecord();
    void CheckStyle(int& styleNo, std::optional<TRNIntegerList>& map, int count, const char* what,
                    bool mayFail);
    void UnknownStyle(int& styleNo, const char* what, const char* why, bool mayFail);
    void DataLine(std::string_view line);
    void SkipLine();
    void FinishRecord();
    void ReadCollection(std::string_view line);
    void ReadBackground(std::string_view line);
    std::string Body(std::string_view line);
    void InsertTextLine(std::string_view line);
    void InsertItem(std::unique_ptr<TCustomRNItemInfo> item, std::string text);
    void DropPending();
    void AddWarning(TRNFWarning w) { data_.SetRNFWarnings(data_.GetRNFWarnings().Include(w)); }
    bool ZeroUnknown() const { return options_.Contains(TRNFOption::rnfoConvUnknownStylesToZero); }

    // An editor's read goes into the middle of the document: the items after the insertion
    // point wait aside, so that each item read is appended instead of shifting them all.
    void Detach() {
        TRNItemList& items = data_.Items();
        tail_.assign(std::make_move_iterator(items.begin() + index_),
                     std::make_move_iterator(items.end()));
        items.resize(static_cast<size_t>(index_));
        detached_ = true;
    }
    void Reattach() {
        if (!detached_) {
            return;
        }
        TRNItemList& items = data_.Items();
        items.insert(items.end(), std::make_move_iterator(tail_.begin()),
                     std::make_move_iterator(tail_.end()));
        tail_.clear();
        detached_ = false;
    }

    TCustomRNData& data_;
    TRNItemList tail_;
    bool detached_ = false;
    std::string_view buf_;
    size_t pos_ = 0;
    size_t lineEnd_ = 0;
    int index_;
    int firstParaNo_;
    bool allowReplace_;
    bool append_;
    bool editor_;
    TColor& color_;
    IRNBackground* background_;
    TRNFReadResult& result_;
    bool strings_ = false;
    TRNFOptions options_;
    TRNStyle* sheet_ = nullptr;

    int recordNo_ = 0;
    int lineNo_ = 0;
    TRNFReadState state_ = TRNFReadState::rstHeader;
    TRNFReadMode mode_ = TRNFReadMode::rmText;
    int version_ = 1;
    int subVersion_ = 0;
    // The record being read.
    int kind_ = 0;
    int lineCount_ = 0;
    int paraNo_ = 0;
    int saveType_ = 0;
    int styleKind_ = 0;
    int lineIndex_ = 0;
    bool knownKind_ = false;
    std::unique_ptr<TCustomRNItemInfo> item_;
    std::string name_;
    RNTag cpTag_;
    bool cpRaise_ = false;
    // A checkpoint read and waiting for its item; it may be the document's end checkpoint.
    std::unique_ptr<TRNCPInfo> pending_;
    bool pendingIsEnd_ = false;
    std::optional<TRNIntegerList> textMap_;
    std::optional<TRNIntegerList> paraMap_;
    bool first_ = true;
};

bool TRNFReader::NextLine(std::string_view& line) {
    if (pos_ >= buf_.size()) {
        return false;
    }
    ++lineNo_;
    size_t left = buf_.size() - pos_;
    if (mode_ == TRNFReadMode::rmBinary) {
        if (left < 4) {
            Fail("the byte count of a binary line is cut off");
        }
        const uint32_t count = RNFReadByteCount(buf_.substr(pos_));
        if (count > left - 4) {
            Fail("a binary line of " + std::to_string(count) + " bytes runs past the end");
        }
        line = buf_.substr(pos_ + 4, count);
        lineEnd_ = pos_ + 4 + count;
        return true;
    }
    if (mode_ == TRNFReadMode::rmUnicode) {
        for (size_t i = pos_; i + 1 < buf_.size(); i += 2) {
            if (buf_[i] == '\x29' && buf_[i + 1] == '\x20') {
                line = buf_.substr(pos_, i - pos_);
                lineEnd_ = i;
                return true;
            }
        }
        Fail("a Unicode line has no paragraph separator at its end");
    }
    // A line ends at CR, LF or NUL: one library search for each, every hit bounding the next,
    // outruns a loop testing three bytes at every step.
    const char* start = buf_.data() + pos_;
    size_t end = buf_.size();
    for (char stop : {'\r', '\n', '\0'}) {
        if (const void* hit = std::memchr(start, stop, end - pos_)) {
            end = static_cast<size_t>(static_cast<const char*>(hit) - buf_.data());
        }
    }
    // The end of the bytes ends the last line too, as the NUL a whole file is read with would.
    line = buf_.substr(pos_, end - pos_);
    lineEnd_ = end;
    return true;
}

void TRNFReader::StepOverLineEnd() {
    pos_ = lineEnd_;
    auto crlf = [this] {
        if (buf_.substr(pos_, 2) != "\r\n") {
            Fail("a binary or Unicode line does not follow CR LF");
        }
        pos_ += 2;
    };
    switch (mode_) {
    case TRNFReadMode::rmText:
        if (pos_ < buf_.size() && buf_[pos_] == '\0') {
            ++pos_;
            break;
        }
        if (pos_ < buf_.size() && buf_[pos_] == '\r') {
            ++pos_;
        }
        if (pos_ < buf_.size() && buf_[pos_] == '\n') {
            ++pos_;
        }
        break;
    case TRNFReadMode::rmBeforeBinary:
        crlf();
        mode_ = TRNFReadMode::rmBinary;
        break;
    case TRNFReadMode::rmBinary:
        mode_ = TRNFReadMode::rmText;
        break;
    case TRNFReadMode::rmBeforeUnicode:
        crlf();
        mode_ = TRNFReadMode::rmUnicode;
        break;
    case TRNFReadMode::rmUnicode:
        pos_ += 2;
        break;
    case TRNFReadMode::rmAfterUnicode:
        pos_ += 2;
        mode_ = TRNFReadMode::rmText;
        break;
    }
}

void TRNFReader::Run() {
    if (append_ || index_ >= data_.ItemCount()) {
        index_ = data_.ItemCount();
        if (!editor_ && data_.NotAddedCP) {
            pending_ = std::move(data_.NotAddedCP);
            pendingIsEnd_ = true;
        }
    }
    index_ = std::max(index_, 0);
    result_.FirstItemNo = index_;
    std::string_view line;
    while (NextLine(line)) {
        switch (state_) {
        case TRNFReadState::rstHeader:
            ParseHeader(line);
            break;
        case TRNFReadState::rstData:
            DataLine(line);
            break;
        case TRNFReadState::rstSkip:
            SkipLine();
            break;
        }
        StepOverLineEnd();
    }
    if (state_ != TRNFReadState::rstHeader) {
        Fail("the note ends inside a record");
    }
}

void TRNFReader::CheckStyle(int& styleNo, std::optional<TRNIntegerList>& map, int count,
                            const char* what, bool mayFail) {
    if (map) {
        if (styleNo >= map->Count() || (*map)[styleNo] < 0) {
            UnknownStyle(styleNo, what, "is not among the note's styles", mayFail);
            return;
        }
        styleNo = (*map)[styleNo];
    }
    if (styleNo >= count) {
        UnknownStyle(styleNo, what, "is beyond the style sheet", mayFail);
    }
}

// Apart from CheckStyle: every item's header is checked, and the message is nearly never needed.
void TRNFReader::UnknownStyle(int& styleNo, const char* what, const char* why, bool mayFail) {
    AddWarning(TRNFWarning::rnfwConvUnknownStyles);
    if (!mayFail || ZeroUnknown()) {
        styleNo = 0;
        return;
    }
    Fail(std::string(what) + " style " + std::to_string(styleNo) + " " + why);
}

void TRNFReader::ParseHeader(std::string_view p) {
    ++recordNo_;
    ParseFields(p);
    if (kind_ != KindVersion) {
        BeginRecord();
    }
}

void TRNFReader::BeginRecord() {
    if (lineCount_ == 0) {
        FinishRecord();
        return;
    }
    bool itemless = kind_ == KindCheckpoint || kind_ == KindBackground || kind_ == KindStyles;
    if ((!item_ && !itemless) ||
        (item_ && !item_->GetBoolValue(TRNItemBoolProperty::rnbpRequiresRNFLines))) {
        state_ = TRNFReadState::rstSkip;
        if (saveType_ == SaveTypeBinary && lineCount_ == 1) {
            mode_ = TRNFReadMode::rmBeforeBinary;
        }
        return;
    }
    state_ = TRNFReadState::rstData;
    if (item_ && item_->IsText() && item_->ItemOptions.Contains(TRNItemOption::rnioUnicode)) {
        mode_ = TRNFReadMode::rmBeforeUnicode;
    }
}

void TRNFReader::ParseFields(std::string_view p) {
    bool unknownName = false;
    int styleNo = 0;
    if (!RNFReadTextStyle(sheet_, p, styleNo, unknownName) || !Fits16(styleNo)) {
        Fail("the record kind is not a 16-bit number or a style name");
    }
    kind_ = styleNo;
    lineIndex_ = 0;
    item_.reset();
    name_.clear();
    knownKind_ = false;
    if (kind_ == KindVersion) {
        lineCount_ = 0;
        if (!RNFReadInteger(p, version_) || !RNFReadInteger(p, subVersion_)) {
            Fail("the version record has no version");
        }
        return;
    }
    if (!RNFReadInteger(p, lineCount_) || lineCount_ < 0 ||
        static_cast<size_t>(lineCount_) > buf_.size() - lineEnd_) {
        Fail("the line count is negative or larger than the note");
    }
    if (!RNFReadParaStyle(sheet_, p, paraNo_, unknownName) || !Fits16(paraNo_) || paraNo_ < -1) {
        Fail("the paragraph is not a 16-bit number or a style name");
    }
    if (kind_ != KindCheckpoint && kind_ != KindBackground && kind_ != KindStyles) {
        item_ = CreateRichNoteItem(kind_, &data_);
        knownKind_ = item_ != nullptr;
    }
    if (version_ >= 1 && subVersion_ >= 2) {
        int itemOptions = 0;
        if (!RNFReadInteger(p, itemOptions)) {
            Fail("the item options are not a number");
        }
        if (item_) {
            item_->ItemOptions = TRNItemOptions::FromBits(static_cast<uint32_t>(itemOptions) &
                                                          RNItemOptionsStoredMask);
        }
    }
    RNTag tag;
    if (!RNFReadInteger(p, saveType_) || !RNFReadTag(p, strings_, tag)) {
        Fail("the save type or the tag is malformed");
    }
    if (unknownName) {
        AddWarning(TRNFWarning::rnfwConvUnknownStyles);
    }
    if (kind_ == KindStyles) {
        if (!RNFReadInteger(p, styleKind_)) {
            Fail("the style record has no kind");
        }
        return;
    }
    if (kind_ == KindCheckpoint) {
        cpTag_ = std::move(tag);
        int raise = 0;
        if (!p.empty() && !RNFReadInteger(p, raise)) {
            Fail("the checkpoint's event flag is not a number");
        }
        cpRaise_ = raise != 0;
        return;
    }
    if (kind_ == KindBackground) {
        int style = 0, color = 0;
        if (!RNFReadInteger(p, style) || !RNFReadInteger(p, color) || style < 0 || style > 4) {
            Fail("the background style or colour is malformed");
        }
        if (options_.Contains(TRNFOption::rnfoLoadBack)) {
            color_ = color;
            if (background_) {
                background_->SetStyle(static_cast<TBackgroundStyle>(style));
                background_->Bitmap().LoadFromBytes({});
            }
        }
        return;
    }
    if (!item_) {
        return;
    }
    item_->Tag = std::move(tag);
    if (item_->IsText()) {
        int s = kind_;
        CheckStyle(s, textMap_, sheet_ ? sheet_->TextStyles().Count() : s + 1, "text", true);
        item_->StyleNo = static_cast<int16_t>(s);
    }
    if (paraNo_ >= 0) {
        bool fullWidth = item_->GetBoolValue(TRNItemBoolProperty::rnbpFullWidth);
        CheckStyle(paraNo_, paraMap_, sheet_ ? sheet_->ParaStyles().Count() : paraNo_ + 1,
                   "paragraph", !fullWidth);
    }
    item_->ParaNo = static_cast<int16_t>(std::max(paraNo_, 0));
    if (!item_->IsText() && !item_->ReadRNFHeader(p, data_)) {
        Fail("the item's header is malformed or names a missing image");
    }
}

std::string TRNFReader::Body(std::string_view line) {
    if (saveType_ == SaveTypeBinary) {
        return std::string(line);
    }
    std::string bytes;
    if (saveType_ == 0 && !RNFTextString2Bytes(line, bytes)) {
        Fail("a hexadecimal line has an odd length or a bad digit");
    }
    return bytes;
}

void TRNFReader::DataLine(std::string_view line) {
    if (kind_ == KindStyles || kind_ == KindBackground) {
        if (lineIndex_ == 0 && saveType_ == SaveTypeBinary) {
            mode_ = TRNFReadMode::rmBeforeBinary;
        } else if (lineIndex_ == 1) {
            if (kind_ == KindStyles) {
                ReadCollection(line);
            } else {
                ReadBackground(line);
            }
            state_ = TRNFReadState::rstSkip;
        }
    } else if (kind_ == KindCheckpoint) {
        if (!pending_) {
            pending_ = std::make_unique<TRNCPInfo>();
            pending_->Name = line;
            pending_->Tag = cpTag_;
            pending_->RaiseEvent = cpRaise_;
            pendingIsEnd_ = false;
        }
    } else if (kind_ < 0) {
        if (!item_->ReadRNFLine(line, data_, saveType_, lineIndex_, lineCount_, name_, mode_,
                                state_)) {
            Fail("the item's data is not valid");
        }
    } else {
        InsertTextLine(line);
    }
    if (++lineIndex_ == lineCount_) {
        if (mode_ == TRNFReadMode::rmUnicode) {
            mode_ = TRNFReadMode::rmAfterUnicode;
        }
        FinishRecord();
    }
}

void TRNFReader::SkipLine() {
    ++lineIndex_;
    if (lineIndex_ == lineCount_ - 1 && saveType_ == SaveTypeBinary) {
        mode_ = TRNFReadMode::rmBeforeBinary;
    }
    if (lineIndex_ == lineCount_) {
        FinishRecord();
    }
}

void TRNFReader::FinishRecord() {
    state_ = TRNFReadState::rstHeader;
    if (kind_ >= 0) {
        item_.reset(); // the template of the record's lines
        return;
    }
    if (kind_ == KindBackground || kind_ == KindVersion) {
        return;
    }
    bool unknownKind = !knownKind_ && kind_ != KindCheckpoint;
    if (kind_ == KindStyles || unknownKind || (kind_ == KindCheckpoint && lineCount_ == 0)) {
        DropPending();
        return;
    }
    if (item_) {
        InsertItem(std::move(item_), std::move(name_));
    }
}

void TRNFReader::DropPending() {
    if (pending_ && pendingIsEnd_) {
        --data_.CPCount;
    }
    pending_.reset();
    pendingIsEnd_ = false;
}

void TRNFReader::ReadCollection(std::string_view line) {
    bool text = styleKind_ == 1;
    if (!text && styleKind_ != 2) {
        return;
    }
    TRNFReaderStyleMode mode =
        text ? data_.GetRNFTextStylesReadMode() : data_.GetRNFParaStylesReadMode();
    std::string bytes = Body(line);
    if (mode == TRNFReaderStyleMode::rnf_sIgnore || bytes.empty() || !sheet_) {
        return;
    }
    if (static_cast<unsigned char>(bytes[0]) != CollectionValue) {
        Fail("a style record does not hold a collection");
    }
    TReader reader{std::string_view(bytes)};
    TRNStyleMergeMode merge = mode == TRNFReaderStyleMode::rnf_sInsertMap
                                  ? TRNStyleMergeMode::rns_merge_Map
                                  : TRNStyleMergeMode::rns_merge_SmartMerge;
    auto apply = [&](auto& read, auto& own, std::optional<TRNIntegerList>& map) {
        if (read.Count() == 0) {
            return;
        }
        // The sheet is replaced only under a document holding nothing but what this read put
        // there: items already in it keep their style numbers, and replaced styles would
        // change what those mean (8-bit text in a Unicode style).
        if (allowReplace_ && data_.ItemCount() == index_ - result_.FirstItemNo) {
            own.Assign(read);
            return;
        }
        map.emplace();
        own.MergeWith(read, merge, *map);
    };
    if (text) {
        TFontInfos read;
        RN_ReadTextStyles(reader, read);
        apply(read, sheet_->TextStyles(), textMap_);
    } else {
        TParaInfos read;
        RN_ReadParaStyles(reader, read);
        apply(read, sheet_->ParaStyles(), paraMap_);
    }
}

void TRNFReader::ReadBackground(std::string_view line) {
    if (!options_.Contains(TRNFOption::rnfoLoadBack)) {
        return;
    }
    TBitmap scratch;
    TBitmap& bitmap = background_ ? background_->Bitmap() : scratch;
    bitmap.LoadFromBytes(Body(line));
}

void TRNFReader::InsertTextLine(std::string_view line) {
    if (editor_ && sheet_ && item_->StyleNo < sheet_->TextStyles().Count() &&
        sheet_->TextStyles()[item_->StyleNo].Protection.Contains(
            TRNProtectOption::rnprRNFInsertProtect)) {
        return;
    }
    // The record's last line takes the template itself, which the record's end would free:
    // a one-line record (a table cell's usual document) then builds one item instead of two.
    if (lineIndex_ + 1 == lineCount_) {
        InsertItem(std::move(item_), std::string(line));
        return;
    }
    std::unique_ptr<TCustomRNItemInfo> item = item_->CreateEmptyLike(&data_);
    item->Assign(*item_);
    item->Tag = RN_CopyTag(item_->Tag, strings_);
    InsertItem(std::move(item), std::string(line));
}

void TRNFReader::InsertItem(std::unique_ptr<TCustomRNItemInfo> item, std::string text) {
    if (!item->IsText() && !item->GetBoolValue(TRNItemBoolProperty::rnbpValid)) {
        return;
    }
    TRNItemList& items = data_.Items();
    auto continuesAt = [&](int at) {
        return at > 0 && !items[static_cast<size_t>(at - 1)].Item->GetBoolValue(
                             TRNItemBoolProperty::rnbpFullWidth);
    };
    int paraNo = paraNo_;
    if (first_ && append_) {
        paraNo = firstParaNo_;
    }
    if (paraNo == -1 && continuesAt(index_)) {
        item->SetSameAsPrev(true);
        item->ParaNo = items[static_cast<size_t>(index_ - 1)].Item->ParaNo;
    } else {
        item->SetSameAsPrev(false);
        if (first_ && append_) {
            item->ParaNo = static_cast<int16_t>(std::max(paraNo, 0));
        }
    }
    item->UpdatePaletteInfo(TRNPaletteAction::rnpaDoNothing, false);
    if (item->IsText() && sheet_) {
        const TFontInfo& style = sheet_->TextStyles()[item->StyleNo];
        bool unicode = item->ItemOptions.Contains(TRNItemOption::rnioUnicode);
        if (unicode && !style.Unicode) {
            text = RNU_UnicodeToAnsi(data_.GetStyleCodePage(item->StyleNo), text);
            item->ItemOptions.Exclude(TRNItemOption::rnioUnicode);
            AddWarning(TRNFWarning::rnfwConvFromUnicode);
            RN_CleanItemText(text, false);
        } else if (!unicode && style.Unicode) {
            text = RNU_AnsiToUnicode(data_.GetStyleCodePage(item->StyleNo), text);
            item->ItemOptions.Include(TRNItemOption::rnioUnicode);
            AddWarning(TRNFWarning::rnfwConvToUnicode);
            RN_CleanItemText(text, true);
        }
    }
    std::unique_ptr<TRNCPInfo> cp = std::move(pending_);
    bool cpWasEnd = pendingIsEnd_;
    pendingIsEnd_ = false;
    TCustomRNItemInfo* raw = item.get();
    int at = index_;
    if (first_) {
        first_ = false;
        if (!data_.InsertFirstRNFItem(index_, std::move(text), std::move(item), editor_,
                                      result_.FullReformat)) {
            if (cp && cpWasEnd) {
                --data_.CPCount;
            }
            Fail("the first item was refused");
        }
        at = index_ - 1;
    } else {
        if (editor_ && !detached_ && index_ < static_cast<int>(items.size())) {
            Detach();
        }
        items.insert(items.begin() + index_, TRNItemSlot{std::move(text), std::move(item)});
        raw->Inserted(&data_, false);
        ++index_;
        ++result_.NonFirstItemsAdded;
    }
    result_.ItemsInserted = index_ - result_.FirstItemNo;
    if (cp) {
        if (editor_) {
            cp->ItemInfo = raw;
            raw->Checkpoint = std::move(cp);
        } else {
            if (!cpWasEnd) {
                ++data_.CPCount;
            }
            if (at == data_.ItemCount() - 1) {
                data_.SetCP(*raw, std::move(cp));
            } else {
                TRNCPInfo* link = cp.get();
                cp->ItemInfo = raw;
                raw->Checkpoint = std::move(cp);
                data_.UpdateCPPos(link, at);
            }
        }
    }
    data_.ControlAction(TRNControlAction::rncaAfterRNFLoad, at, *raw);
    raw->AfterRNFLoading();
}

void TRNFReader::Finish(bool ok) {
    Reattach();
    if (!pending_) {
        return;
    }
    if (pendingIsEnd_) {
        data_.NotAddedCP = std::move(pending_);
    } else if (ok && !editor_ && index_ == data_.ItemCount() && !data_.NotAddedCP) {
        data_.NotAddedCP = std::move(pending_);
        ++data_.CPCount;
    }
    pending_.reset();
    pendingIsEnd_ = false;
}

// The rest of the stream, without a copy when it is already in memory.
std::string_view RestOf(TStream& stream, std::string& holder) {
    int64_t position = stream.Position();
    int64_t size = stream.Size();
    if (position >= size) {
        return {};
    }
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream)) {
        stream.Seek(0, TSeekOrigin::soEnd);
        return std::string_view(memory->Bytes()).substr(static_cast<size_t>(position));
    }
    if (auto* view = dynamic_cast<TBytesReadStream*>(&stream)) {
        stream.Seek(0, TSeekOrigin::soEnd);
        return view->Bytes().substr(static_cast<size_t>(position));
    }
    holder.resize(static_cast<size_t>(size - position));
    holder.resize(static_cast<size_t>(stream.Read(holder.data(), size - position)));
    return holder;
}

// The read itself, over bytes that stay put until it is over.
bool ReadRNF(TCustomRNData& data, std::string_view bytes, int index, int paraNo,
             bool allowReplaceStyles, bool appendMode, bool editorCall, TColor& color,
             IRNBackground* background, TRNFReadResult& result, const TRNFSettings& settings) {
    result = TRNFReadResult{};
    result.Running = true;
    data.RNFError.clear();
    data.SetRNFWarnings({});
    TRNFReader reader(data, bytes, std::min(index, data.ItemCount()), paraNo, allowReplaceStyles,
                      appendMode, editorCall, color, background, result, settings);
    // What a read keeps, whole or not, is normalised alike: the items of a failed load stay in
    // the document and are shown, edited and saved as those of any other.
    // An item the read put before the rest of a paragraph (a rule in the middle of one) leaves
    // that rest starting a paragraph of its own.
    const auto normalize = [&] {
        if (!editorCall) {
            const int after = result.FirstItemNo + result.ItemsInserted;
            if (data.ContinuesPastFullWidth(after)) {
                data.GetItem(after).SetSameAsPrev(false);
            }
            data.NormalizeParas(std::min(result.FirstItemNo, std::max(data.ItemCount() - 1, 0)));
        }
    };
    try {
        reader.Run();
    } catch (const ERNFReadError& e) {
        reader.Finish(false);
        result.Error = e.what();
        data.RNFError = result.Error;
        normalize();
        return false;
    } catch (const std::exception& e) {
        // A picture, style or item reader that gave up on its bytes.
        reader.Finish(false);
        result.Error = reader.Where() + e.what();
        data.RNFError = result.Error;
        normalize();
        return false;
    }
    reader.Finish(true);
    normalize();
    result.Running = false;
    return true;
}

} // namespace

bool TCustomRNData::InsertRNFFromStream_(TStream& stream, int index, int paraNo,
                                         bool allowReplaceStyles, bool appendMode, bool editorCall,
                                         TColor& color, IRNBackground* background,
                                         TRNFReadResult& result) {
    std::string holder;
    return ReadRNF(*this, RestOf(stream, holder), index, paraNo, allowReplaceStyles, appendMode,
                   editorCall, color, background, result, RNFSettings());
}

bool TCustomRNData::InsertFirstRNFItem(int& index, std::string text,
                                       std::unique_ptr<TCustomRNItemInfo> item, bool,
                                       bool& fullReformat) {
    TCustomRNItemInfo* raw = item.get();
    Items().insert(Items().begin() + index, TRNItemSlot{std::move(text), std::move(item)});
    raw->Inserted(this, false);
    ++index;
    fullReformat = false;
    return true;
}

bool TCustomRNData::InsertRNFFromStream(TStream& stream, int index, TColor& color,
                                        IRNBackground* background, bool allowReplaceStyles) {
    TRNFReadResult result;
    return InsertRNFFromStream_(stream, index, -1, allowReplaceStyles, false, false, color,
                                background, result);
}

bool TCustomRNData::AppendRNFFromStream(TStream& stream, int paraNo, TColor& color,
                                        IRNBackground* background) {
    TRNFReadResult result;
    return InsertRNFFromStream_(stream, ItemCount(), paraNo, false, true, false, color, background,
                                result);
}

bool TCustomRNData::LoadRNFFromStream(TStream& stream, TColor& color, IRNBackground* background) {
    Clear();
    return InsertRNFFromStream(stream, 0, color, background, true);
}

bool TCustomRNData::LoadRNF(const std::string& fileName, TColor& color, IRNBackground* background) {
    TFileStream stream(fileName, TFileMode::fmOpenRead);
    return LoadRNFFromStream(stream, color, background);
}

bool TCustomRNData::DataReader(TStream& stream) {
    const int64_t start = stream.Position();
    std::string holder;
    std::string_view rest = RestOf(stream, holder);
    const bool ok = DataReader(rest);
    // The stream stays just past the document, or where the length was found wanting.
    int64_t used = 0;
    if (rest.size() >= 4) {
        const uint32_t n = RNFReadByteCount(rest);
        used = n > rest.size() - 4 ? 4 : 4 + static_cast<int64_t>(n);
    } else {
        used = static_cast<int64_t>(rest.size());
    }
    stream.SetPosition(start + used);
    return ok;
}

bool TCustomRNData::DataReader(std::string_view data) {
    return DataReader(data, RNFSettings());
}

bool TCustomRNData::DataReader(std::string_view data, const TRNFSettings& settings) {
    if (data.size() < 4) {
        RNFError = "the length of the document is cut off";
        return false;
    }
    const uint32_t n = RNFReadByteCount(data);
    if (n > data.size() - 4) {
        RNFError = "the document is longer than the data";
        return false;
    }
    Clear();
    TColor color = clNone;
    TRNFReadResult result;
    return ReadRNF(*this, data.substr(4, n), 0, -1, true, false, false, color, nullptr, result,
                   settings);
}
