// Word wrap: the item list cut into draw items, line by line.

#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/CRNFData.h"

#include <algorithm>
#include <cstdint>

int TCustomRNFormattedData::TFormatState::H(int v) const {
    return MulDiv(v, Sad.ppixDevice, Sad.ppixScreen);
}

int TCustomRNFormattedData::TFormatState::V(int v) const {
    return MulDiv(v, Sad.ppiyDevice, Sad.ppiyScreen);
}

const TParaInfo& TCustomRNFormattedData::ParaOf(int itemNo) const {
    const TParaInfos& paras = GetRNStyle()->ParaStyles();
    const int paraNo = GetItem(itemNo).ParaNo;
    return paras[paraNo >= 0 && paraNo < paras.Count() ? paraNo : 0];
}

void TCustomRNFormattedData::Format() {
    if (TCanvas* canvas = GetCanvas()) {
        Format_(false, true, false, 0, *canvas, false);
    }
}

// Minimum widths, in screen pixels.

int TCustomRNFormattedData::CalculateMinItemWidthPlus(int itemNo) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const TParaInfo& para = ParaOf(itemNo);
    int width = item.GetMinWidth() + para.LeftIndent + para.RightIndent;
    if (!item.GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
        width += para.FirstIndent;
    }
    return width;
}

int TCustomRNFormattedData::CalculateMinItemsWidthPlus(int first, int last) const {
    int width = 0;
    for (int i = first; i <= last; ++i) {
        width = std::max(width, CalculateMinItemWidthPlus(i));
    }
    return width;
}

int TCustomRNFormattedData::CalculateMinDocWidthPlus() const {
    return CalculateMinItemsWidthPlus(0, ItemCount() - 1);
}

// The full pass.

void TCustomRNFormattedData::Format_(bool onlyResized, bool forceFormat, bool noScroll, int depth,
                                     TCanvas& canvas, bool onlyTail) {
    if (SkipNextFormat) {
        SkipNextFormat = false;
        return;
    }
    if (depth > 1 || !GetRNStyle() || State.Contains(TRNStateItem::rnstSkipFormatting)) {
        return;
    }
    // Appending after a document that was never formatted, or after one whose items were
    // replaced since, needs the whole pass.
    if (onlyTail &&
        (LastFormattedItemNo < 0 || LastFormattedItemNo >= ItemCount() || DrawItems.Count() == 0)) {
        onlyTail = false;
    }
    const bool addedResizing = depth == 0 && onlyResized;
    if (depth == 0) {
        StartFormatting();
        if (onlyResized) {
            State.Include(TRNStateItem::rnstResizing);
        }
    }
    auto finish = [&] {
        if (depth == 0) {
            EndFormatting();
            if (addedResizing) {
                State.Exclude(TRNStateItem::rnstResizing);
            }
            LastFormattedItemNo = ItemCount() - 1;
            Formatted(0, ItemCount() - 1, false);
        }
    };
    try {
        int selStartItem = -1, selEndItem = -1, selStartOffs = 0, selEndOffs = 0;
        int topItemNo = -1, topDelta = 0, oldVOffs = 0;
        if (depth == 0) {
            StoreSelBounds(selStartItem, selEndItem, selStartOffs, selEndOffs, false);
            if (onlyResized && !noScroll && DrawItems.Count() > 0) {
                const int d = std::min(GetDrawItemNo(GetVOffs(), 1), DrawItems.Count() - 1);
                topItemNo = DrawItems[d]->ItemNo;
                topDelta = GetVOffs() - DrawItems[d]->Top;
            }
            if (onlyTail) {
                oldVOffs = GetVOffs();
            }
        }

        TFormatState s;
        s.Canvas = &canvas;
        GetSADForFormatting(canvas, s.Sad);
        s.Sad.LeftMargin = s.H(GetLeftMargin());
        s.Sad.RightMargin = s.H(GetRightMargin());
        const int margins = s.Sad.LeftMargin + s.Sad.RightMargin;
        DocMinWidth = CalculateMinDocWidthPlus();
        int w = std::max(GetWidth() - margins, s.H(DocMinWidth));
        w = std::max(w, s.H(GetMinTextWidth()));
        const int oldTextWidth = TextWidth;
        if (GetOptions().Contains(TRNOption::rnoClientTextWidth)) {
            TextWidth = std::max(GetWidth() - margins, s.H(GetMinTextWidth()));
        } else if (GetMaxTextWidth() > 0 && s.H(GetMaxTextWidth()) < w) {
            TextWidth = s.H(GetMaxTextWidth());
        } else {
            TextWidth = w;
        }

        if (!onlyResized || TextWidth != oldTextWidth || forceFormat) {
            if (depth == 0 && !onlyTail) {
                ++WholeLayouts;
            }
            int start = 0;
            if (onlyTail) {
                start = LastFormattedItemNo + 1;
                s.Y = DocumentHeight - GetBottomMargin();
                if (LastFormattedItemNo >= 0) {
                    s.Y -= s.V(ParaOf(LastFormattedItemNo).SpaceAfter);
                }
            } else {
                ClearTemporal();
                s.Y = GetTopMargin();
            }
            s.Index = DrawItems.Count();
            s.LineFirst = s.Index;
            for (int i = start; i < ItemCount(); ++i) {
                FormatItem(s, i);
            }
            int extra = 0;
            FinishScreenLine(s.Sad, s.LineLeft + s.LineMaxWidth, s.Index, s.NoLineToFinish, extra,
                             true);
            DocumentHeight = GetBottomMargin() + s.Y + s.LineDescent + extra;
            if (ItemCount() > 0) {
                DocumentHeight += s.V(ParaOf(ItemCount() - 1).SpaceAfter);
            }
            AdjustVScrollUnits();
            AdjustJumpsCoords();
        }

        const int oldWidth = GetWidth();
        const int oldHeight = GetHeight();
        SkipNextFormat = true;
        SetDocumentAreaSize(GetLeftMargin() + w + GetRightMargin(), DocumentHeight, true);
        SkipNextFormat = false;
        if (GetWidth() != oldWidth || GetHeight() != oldHeight) {
            // A scroll bar came or went: one more pass at the new client size.
            EndFormatting();
            Format_(onlyResized, forceFormat, false, depth + 1, canvas, false);
            StartFormatting();
        }

        if (depth == 0) {
            if (onlyResized && !noScroll) {
                int d = -1;
                if (topItemNo >= 0 && topItemNo < ItemCount()) {
                    Item2FirstDrawItem(topItemNo, d);
                }
                ScrollTo(d >= 0 ? DrawItems[d]->Top + topDelta : 0, false);
            }
            AdjustChildrenCoords();
            if (onlyTail) {
                ScrollTo(GetOptions().Contains(TRNOption::rnoScrollToEnd) ? DocumentHeight
                                                                          : oldVOffs,
                         false);
            }
            RestoreSelBounds(selStartItem, selEndItem, selStartOffs, selEndOffs);
        }
    } catch (...) {
        SkipNextFormat = false;
        finish();
        throw;
    }
    finish();
}

void TCustomRNFormattedData::FormatItem(TFormatState& s, int itemNo) {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    if (!item.IsText()) {
        const std::string& text = GetItemText(itemNo);
        FormatLine(s, text, 0, static_cast<int>(text.size()), itemNo);
    } else if (ParaOf(itemNo).Alignment == TRNAlignment::rnaJustify) {
        FormatWords(s, itemNo);
    } else {
        const std::string text =
            RN_ReturnCapitalized(GetItemText(itemNo), GetRNStyle()->TextStyles()[item.StyleNo]);
        FormatLine(s, text, 0, RNU_Length(text, item.ItemOptions), itemNo);
    }
}

// Lines.

void TCustomRNFormattedData::StartLine(TFormatState& s, int itemNo, bool paraStart, int& extra) {
    FinishScreenLine(s.Sad, s.LineLeft + s.LineMaxWidth, s.Index, s.NoLineToFinish, extra,
                     s.NewPara);
    const TParaInfo& para = ParaOf(itemNo);
    if (!s.NewPara) {
        s.LineMaxWidth = TextWidth - s.H(para.LeftIndent + para.RightIndent);
        s.LineLeft = s.H(para.LeftIndent) + s.Sad.LeftMargin;
    } else {
        if (paraStart) {
            if (itemNo > 0) {
                s.LineDescent += s.V(ParaOf(itemNo - 1).SpaceAfter);
            }
            s.LineDescent += s.V(para.SpaceBefore);
        }
        s.LineMaxWidth = TextWidth - s.H(para.LeftIndent + para.RightIndent + para.FirstIndent);
        s.LineLeft = s.H(para.LeftIndent + para.FirstIndent) + s.Sad.LeftMargin;
    }
    s.X = 0;
    s.Y += extra;
    s.LineTop = s.Y + s.LineDescent;
    s.LineFirst = s.Index;
}

void TCustomRNFormattedData::RaiseLine(TFormatState& s, int ascent) {
    if (ascent <= s.LineAscent) {
        return;
    }
    const int delta = ascent - s.LineAscent;
    for (int i = s.LineFirst; i < s.Index; ++i) {
        DrawItems[i]->Top += delta;
    }
    s.Y += delta;
    s.LineAscent = ascent;
}

std::unique_ptr<TRNDrawLineInfo> TCustomRNFormattedData::NewDrawItem(TFormatState& s,
                                                                     TCustomRNItemInfo& item) {
    std::unique_ptr<TRNDrawLineInfo> d;
    if (GetFlags().Contains(TRNFlag::rnflAllowCustomDrawItems)) {
        std::unique_ptr<TRNDrawItemBase> own = item.CreatePrintingDrawItem(*this, s.Sad);
        if (auto* line = dynamic_cast<TRNDrawLineInfo*>(own.get())) {
            own.release();
            d.reset(line);
        }
    }
    if (!d) {
        d = std::make_unique<TRNDrawLineInfo>();
    }
    return d;
}

void TCustomRNFormattedData::PlaceDrawItem(TFormatState& s, std::unique_ptr<TRNDrawLineInfo> d,
                                           bool recordFirst) {
    const int itemNo = d->ItemNo;
    DrawItems.Insert(s.Index, std::move(d));
    if (recordFirst && !ShareItems()) {
        GetItem(itemNo).DrawItemNo = s.Index;
    }
    ++s.Index;
}

void TCustomRNFormattedData::FormatLine(TFormatState& s, std::string_view text, int offs, int len,
                                        int itemNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    if (item.IsText()) {
        FormatText(s, text, offs, len, itemNo);
    } else if (dynamic_cast<TRNRectItemInfo*>(&item)) {
        FormatInline(s, itemNo);
    } else {
        FormatFullLine(s, itemNo);
    }
}

void TCustomRNFormattedData::FormatWords(TFormatState& s, int itemNo) {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    const TRNItemOptions options = item.ItemOptions;
    const std::string text =
        RN_ReturnCapitalized(GetItemText(itemNo), GetRNStyle()->TextStyles()[item.StyleNo]);
    const int length = RNU_Length(text, options);
    if (length == 0) {
        FormatLine(s, text, 0, 0, itemNo);
        return;
    }
    // A word: at most one leading space, then everything up to the next space.
    int start = 0;
    while (start < length) {
        int end = start;
        if (RNU_IsSpace(text, end + 1, options)) {
            ++end;
        }
        while (end < length && !RNU_IsSpace(text, end + 1, options)) {
            ++end;
        }
        FormatLine(s, text, start, end - start, itemNo);
        start = end;
    }
}

namespace {

// The characters of an item text as the canvas measures them.
class TPieceMeasure {
public:
    TPieceMeasure(TCanvas& canvas, std::string_view text, bool unicode)
        : canvas_(canvas), unicode_(unicode) {
        if (unicode) {
            wide_ = RNU_BytesToU16(text);
        } else {
            narrow_ = text;
        }
    }
    TSize Extent(int first, int count) {
        return unicode_ ? canvas_.TextExtentW(std::u16string_view(wide_).substr(first, count))
                        : canvas_.TextExtent(narrow_.substr(first, count));
    }
    bool IsSpace(int index) const {
        return unicode_ ? wide_[index] == u' ' : narrow_[index] == ' ';
    }
    // How many of `count` characters from `first` fit into `free` pixels: the whole run is
    // measured once and the answer narrowed by interpolation between the measured bounds.
    // `extent` is the last measurement, of `measured` characters.
    int Fit(int first, int count, int free, TSize& extent, int& measured) {
        extent = Extent(first, count);
        measured = count;
        if (extent.cx <= free) {
            return count;
        }
        int lo = 0, loExtent = 0;
        int hi = count, hiExtent = extent.cx;
        while (lo + 1 < hi) {
            // 64 bits: long items at printer widths overflow the product.
            int64_t guess = lo + int64_t(hi - lo) * (free - loExtent) / (hiExtent - loExtent);
            const int n = static_cast<int>(std::clamp<int64_t>(guess, lo + 1, hi - 1));
            extent = Extent(first, n);
            measured = n;
            if (extent.cx == free) {
                return n;
            }
            if (extent.cx > free) {
                hi = n;
                hiExtent = extent.cx;
            } else {
                lo = n;
                loExtent = extent.cx;
            }
        }
        return lo;
    }
    // True when a cut after `count` characters from `first` would split a surrogate pair.
    bool SplitsPair(int first, int count) const {
        if (!unicode_ || count <= 0) {
            return false;
        }
        const size_t last = static_cast<size_t>(first + count - 1);
        return last + 1 < wide_.size() && wide_[last] >= 0xD800 && wide_[last] <= 0xDBFF &&
               wide_[last + 1] >= 0xDC00 && wide_[last + 1] <= 0xDFFF;
    }

private:
    TCanvas& canvas_;
    bool unicode_;
    std::u16string wide_;
    std::string_view narrow_;
};

} // namespace

void TCustomRNFormattedData::FormatText(TFormatState& s, std::string_view text, int offs, int len,
                                        int itemNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    TRNStyle& style = *GetRNStyle();
    const TFontInfo& font = style.TextStyles()[item.StyleNo];
    const bool sameAsPrev = item.GetSameAsPrev();
    const bool br = item.GetBR();
    const TRNFlags flags = GetFlags();
    const bool trim = flags.Contains(TRNFlag::rnflTrim);
    if (!sameAsPrev && offs == 0) {
        s.NewPara = true;
    }
    if (item.StyleNo != s.LastTextStyle) {
        style.ApplyStyle(*s.Canvas, item.StyleNo);
        s.Metrics = s.Canvas->GetTextMetrics();
        s.Metrics.ExternalLeading = std::max(s.Metrics.ExternalLeading, 0);
        s.VShift = MulDiv(s.Metrics.Height, font.VShift, 100);
        s.LastTextStyle = item.StyleNo;
    }
    bool needNewLine = !sameAsPrev && offs == 0;
    const int leading =
        flags.Contains(TRNFlag::rnflUseExternalLeading) ? s.Metrics.ExternalLeading : 0;
    const int pieceAscent = s.Metrics.Ascent + leading + s.VShift;
    const int pieceDescent = s.Metrics.Descent - s.VShift;
    const TParaInfo& para = ParaOf(itemNo);

    if (len == 0) {
        if (sameAsPrev) {
            return;
        }
        int extra = 0;
        StartLine(s, itemNo, !br, extra);
        s.LineAscent = pieceAscent;
        s.Y = s.LineTop + s.LineAscent;
        s.LineDescent = pieceDescent;
        auto d = RN_NewDrawItem(s.LineLeft, s.LineTop, 0, s.Canvas->TextHeight(" "), itemNo, true);
        d->Offs = offs + 1;
        d->Length = 0;
        PlaceDrawItem(s, std::move(d), offs == 0);
        if (font.Jump) {
            item.JumpNo = -3;
        }
        return;
    }

    TPieceMeasure measure(*s.Canvas, text, item.ItemOptions.Contains(TRNItemOption::rnioUnicode));
    int p = offs;
    int r = len;
    bool breakSpacePending = false;
    bool firstRecorded = false;
    while (r > 0) {
        int maxWidth = para.LeftIndent + para.RightIndent;
        if (s.NewPara && p == 0) {
            maxWidth += para.FirstIndent;
        }
        maxWidth = TextWidth - s.H(maxWidth);
        if (needNewLine) {
            s.X = 0;
            if (trim && !breakSpacePending && !s.NewPara && r > 1 && measure.IsSpace(p)) {
                ++p;
                --r;
            }
            breakSpacePending = false;
        }
        const int free = std::max(maxWidth - s.X, 0);

        TSize extent;
        int measuredCount = 0;
        int n = measure.Fit(p, r, free, extent, measuredCount);
        if (n < r && measure.SplitsPair(p, n)) {
            --n;
        }
        if (n == 0) {
            if (needNewLine) {
                n = measure.SplitsPair(p, 1) ? 2 : 1;
            } else {
                s.X = 0;
                s.NewPara = false;
                needNewLine = true;
                continue;
            }
        }
        if (n < r) {
            int k = n - 1;
            if (trim && measure.IsSpace(p + n) && !measure.IsSpace(p + n - 1)) {
                // The run ends just where a word does: the break goes there, so the word
                // that fits stays on this line.
                k = n;
            } else {
                while (k >= 0 && !measure.IsSpace(p + k)) {
                    --k;
                }
            }
            // With trimming, a space at the very start would leave an empty piece: that
            // counts as no space at all.
            if (k > 0 || (k == 0 && !trim)) {
                if (trim) {
                    n = k;
                    breakSpacePending = true;
                } else {
                    n = k + 1;
                }
            } else if (!needNewLine) {
                s.X = 0;
                s.NewPara = false;
                needNewLine = true;
                continue;
            }
        }
        const int pieceOffs = p + 1;
        p += n;
        r -= n;
        if (breakSpacePending) {
            ++p;
            --r;
            breakSpacePending = false;
        }
        if (measuredCount != n) {
            extent = measure.Extent(pieceOffs - 1, n);
        }

        int top;
        bool fromNewLine;
        if (needNewLine) {
            if (sameAsPrev || pieceOffs > 1) {
                s.NewPara = false;
            }
            int extra = 0;
            StartLine(s, itemNo, !br, extra);
            s.LineAscent = pieceAscent;
            s.Y = s.LineTop + s.LineAscent;
            s.LineDescent = pieceDescent;
            top = s.LineTop;
            fromNewLine = true;
        } else {
            RaiseLine(s, pieceAscent);
            top = s.Y - pieceAscent;
            s.LineDescent = std::max(s.LineDescent, pieceDescent);
            fromNewLine = false;
        }
        auto d = RN_NewDrawItem(s.LineLeft + s.X, top, extent.cx, extent.cy, itemNo, fromNewLine);
        d->Offs = pieceOffs;
        d->Length = n;
        const bool recordFirst = offs == 0 && !firstRecorded;
        firstRecorded = true;
        PlaceDrawItem(s, std::move(d), recordFirst);
        if (flags.Contains(TRNFlag::rnflUseJumps) && font.Jump) {
            auto jump = std::make_unique<TRNJumpInfo>();
            jump->RNData = this;
            jump->Width = extent.cx;
            jump->Height = extent.cy;
            jump->Id = offs > 0 ? JumpCount - 1 : JumpCount;
            jump->DrawItemNo = s.Index - 1;
            jump->Cursor = font.JumpCursor;
            Jumps.Add(std::move(jump));
        }
        s.X += extent.cx;
        needNewLine = true;
    }
    if (font.Jump && offs == 0) {
        item.JumpNo = JumpCount++;
    }
}

void TCustomRNFormattedData::FormatInline(TFormatState& s, int itemNo) {
    auto& item = dynamic_cast<TRNRectItemInfo&>(GetItem(itemNo));
    auto d = NewDrawItem(s, item);
    item.OnDocWidthChange(s.LineMaxWidth, d.get(), ShareItems());
    if (item.GetBoolValue(TRNItemBoolProperty::rnbpDrawingChangesFont)) {
        s.LastTextStyle = -1;
    }
    const int w = s.H(item.GetWidth());
    const int h = s.V(item.GetHeight());
    const bool sameAsPrev = item.GetSameAsPrev();
    const int ascent =
        item.VAlign == TRNVAlign::rnvaBaseline ? s.V(item.GetHeight() - item.GetDescent()) : h / 2;
    int top;
    bool fromNewLine;
    if (!sameAsPrev || s.X + w > s.LineMaxWidth) {
        s.NewPara = !sameAsPrev;
        int extra = 0;
        StartLine(s, itemNo, !item.GetBR(), extra);
        s.LineAscent = ascent;
        s.Y = s.LineTop + ascent;
        s.LineDescent = h - ascent;
        top = s.LineTop;
        fromNewLine = true;
    } else {
        RaiseLine(s, ascent);
        top = s.Y - ascent;
        s.LineDescent = std::max(s.LineDescent, h - ascent);
        fromNewLine = false;
    }
    d->Init(s.X + s.LineLeft, top, w, h, itemNo, fromNewLine);
    d->Offs = 0;
    d->Length = 0;
    const int left = d->Left;
    s.X += w;
    PlaceDrawItem(s, std::move(d), true);
    const TRNFlags flags = GetFlags();
    if (flags.Contains(TRNFlag::rnflUseJumps)) {
        item.BuildJumps(left, top, JumpCount, Jumps);
    }
    if (item.GetBoolValueEx(TRNItemBoolPropertyEx::rnbpJump, GetRNStyle())) {
        if (flags.Contains(TRNFlag::rnflUseJumps)) {
            auto jump = std::make_unique<TRNJumpInfo>();
            jump->RNData = this;
            jump->Width = w;
            jump->Height = h;
            jump->Id = JumpCount;
            jump->DrawItemNo = s.Index - 1;
            jump->Cursor = static_cast<TCursor>(item.GetHypertextCursor(*GetRNStyle()));
            Jumps.Add(std::move(jump));
        }
        item.JumpNo = JumpCount++;
    }
}

void TCustomRNFormattedData::FormatFullLine(TFormatState& s, int itemNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    int extra = 0;
    // The line's own spacing stays in its draw items; it does not push the full line down.
    FinishScreenLine(s.Sad, s.LineLeft + s.LineMaxWidth, s.Index, s.NoLineToFinish, extra, true);
    if (itemNo > 0) {
        s.LineDescent += s.V(ParaOf(itemNo - 1).SpaceAfter);
    }
    s.LineDescent += s.V(ParaOf(itemNo).SpaceBefore);
    std::unique_ptr<TRNDrawLineInfo> d;
    if (item.StyleNo == -1) {
        s.LineDescent += s.V(GetRNStyle()->ParaStyles()[0].SpaceBefore);
        const int m = MulDiv(5, s.Sad.ppiyDevice, s.Sad.ppiyScreen);
        d = RN_NewDrawItem(s.Sad.LeftMargin, s.Y + s.LineDescent, TextWidth, 2 * m + 1, itemNo,
                           true);
        s.Y += s.LineDescent + m + 1;
        s.LineDescent = m;
        s.LineAscent = m;
    } else {
        auto& fullLine = dynamic_cast<TRNNonTextItemInfo&>(item);
        const TParaInfo& para = ParaOf(itemNo);
        const int avail = TextWidth - s.H(para.LeftIndent + para.RightIndent);
        int left = s.H(para.LeftIndent) + s.Sad.LeftMargin;
        d = NewDrawItem(s, item);
        item.OnDocWidthChange(avail, d.get(), ShareItems());
        if (item.GetBoolValue(TRNItemBoolProperty::rnbpDrawingChangesFont)) {
            s.LastTextStyle = -1;
        }
        const int w = s.H(fullLine.GetWidth());
        const int h = s.V(fullLine.GetHeight());
        if (para.Alignment == TRNAlignment::rnaRight) {
            left += avail - w;
        } else if (para.Alignment == TRNAlignment::rnaCenter) {
            left += std::max((avail - w) / 2, 0);
        }
        d->Init(left, s.Y + s.LineDescent, w, h, itemNo, true);
        // A line printed from a layout of its own (a table) has that layout's height.
        s.Y += s.LineDescent + d->Height;
        s.LineAscent = d->Height;
        s.LineDescent = 0;
    }
    d->Offs = 0;
    d->Length = 0;
    const int left = d->Left;
    const int top = d->Top;
    s.LineFirst = s.Index;
    PlaceDrawItem(s, std::move(d), true);
    if (GetFlags().Contains(TRNFlag::rnflUseJumps)) {
        item.BuildJumps(left, top, JumpCount, Jumps);
    }
}

void TCustomRNFormattedData::FinishScreenLine(const TRNScreenAndDevice& sad, int rightEdge,
                                              int drawItemCount, bool& noLineToFinish,
                                              int& extraSpace, bool lastLineOfPara) {
    extraSpace = 0;
    if (noLineToFinish) {
        noLineToFinish = false;
        return;
    }
    if (drawItemCount == 0) {
        return;
    }
    const int last = drawItemCount - 1;
    TRNDrawLineInfo& lastItem = *DrawItems[last];
    if (GetItem(lastItem.ItemNo).GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
        return;
    }
    int first = last;
    while (first > 0 && !DrawItems[first]->FromNewLine) {
        --first;
    }
    const TParaInfo& para = ParaOf(lastItem.ItemNo);
    int shift = 0;
    const bool justify = para.Alignment == TRNAlignment::rnaJustify;
    if (para.Alignment != TRNAlignment::rnaLeft && !(justify && lastLineOfPara)) {
        shift = rightEdge - (lastItem.Left + lastItem.Width);
        if (para.Alignment == TRNAlignment::rnaCenter) {
            shift = std::max(shift / 2, 0);
        }
    }

    if (para.LineSpacingType == TRNLineSpacingType::rnlsPercent && para.LineSpacing > 100) {
        int top = INT32_MAX, bottom = INT32_MIN;
        for (int i = first; i <= last; ++i) {
            const TRNDrawLineInfo& d = *DrawItems[i];
            if (GetItem(d.ItemNo).IsText()) {
                top = std::min(top, d.Top);
                bottom = std::max(bottom, d.Top + d.Height);
            }
        }
        if (top <= bottom) {
            extraSpace = (bottom - top) * (para.LineSpacing - 100) / 100;
        }
    } else if (para.LineSpacingType == TRNLineSpacingType::rnlsSpaceBetween &&
               para.LineSpacing >= 0) {
        extraSpace = MulDiv(para.LineSpacing, sad.ppiyDevice, sad.ppiyScreen);
    }
    if (extraSpace != 0) {
        for (int i = first; i <= last; ++i) {
            DrawItems[i]->LineExtra = extraSpace;
        }
    }

    if (justify && !lastLineOfPara) {
        if (first == last) {
            return;
        }
        auto beginsWithSpace = [&](int i) {
            const TRNDrawLineInfo& d = *DrawItems[i];
            const TCustomRNItemInfo& item = GetItem(d.ItemNo);
            return item.IsText() && d.Length > 0 &&
                   RNU_IsSpace(GetItemText(d.ItemNo), d.Offs, item.ItemOptions);
        };
        int gaps = 0;
        for (int i = first + 1; i <= last; ++i) {
            gaps += beginsWithSpace(i) ? 1 : 0;
        }
        int remaining = shift;
        for (int i = first + 1; i <= last; ++i) {
            TRNDrawLineInfo& d = *DrawItems[i];
            if (gaps > 0 && beginsWithSpace(i)) {
                const int share = remaining / gaps;
                d.JustifyExtra = static_cast<int16_t>(share);
                d.Width += share;
                remaining -= share;
                --gaps;
            }
            d.Left = DrawItems[i - 1]->Left + DrawItems[i - 1]->Width;
        }
        return;
    }
    if (shift != 0) {
        for (int i = first; i <= last; ++i) {
            DrawItems[i]->Left += shift;
        }
    }
}
