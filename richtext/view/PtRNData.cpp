#include "richtext/view/PtRNData.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/PictureShowing.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNStyleRects.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/RNBack.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <utility>

namespace {

// Formatting writes each item's first draw line and hypertext number, which the source
// viewer's own mapping starts from: keep them as the source had them.
class ItemLayoutGuard {
public:
    explicit ItemLayoutGuard(TCustomRNData& data) : data_(data) {
        saved_.reserve(static_cast<size_t>(data.ItemCount()));
        for (int i = 0; i < data.ItemCount(); ++i) {
            const TCustomRNItemInfo& item = data.GetItem(i);
            saved_.emplace_back(item.DrawItemNo, item.JumpNo);
        }
    }
    ~ItemLayoutGuard() {
        const int count = std::min(data_.ItemCount(), static_cast<int>(saved_.size()));
        for (int i = 0; i < count; ++i) {
            TCustomRNItemInfo& item = data_.GetItem(i);
            item.DrawItemNo = saved_[static_cast<size_t>(i)].first;
            item.JumpNo = saved_[static_cast<size_t>(i)].second;
        }
    }
    ItemLayoutGuard(const ItemLayoutGuard&) = delete;
    ItemLayoutGuard& operator=(const ItemLayoutGuard&) = delete;

private:
    TCustomRNData& data_;
    std::vector<std::pair<int32_t, int32_t>> saved_;
};

class CharExtraGuard {
public:
    explicit CharExtraGuard(TCanvas& canvas)
        : canvas_(canvas), saved_(canvas.TextCharacterExtra()) {}
    ~CharExtraGuard() { canvas_.SetTextCharacterExtra(saved_); }
    CharExtraGuard(const CharExtraGuard&) = delete;
    CharExtraGuard& operator=(const CharExtraGuard&) = delete;
    int Saved() const { return saved_; }

private:
    TCanvas& canvas_;
    int saved_;
};

} // namespace

// TCustomPrintableRNData

void TCustomPrintableRNData::GetDrawItemsRange(int, int& startNo, int& endNo, int& part) const {
    startNo = 0;
    endNo = DrawItems.Count() - 1;
    part = -1;
}

void TCustomPrintableRNData::DrawPageBackground(TCanvas& canvas, const TRNScreenAndDevice& sad) {
    const TColor color = GetColor();
    const int left = GetPrintableAreaLeft();
    const int top = GetPrintableAreaTop();
    TRNBackground* back = GetBack();
    if (back && back->Style != TBackgroundStyle::bsNoBitmap && !back->Bitmap().Empty()) {
        if (back->Style == TBackgroundStyle::bsTiledAndScrolled) {
            back->Style = TBackgroundStyle::bsTiled;
        }
        // The picture is laid out at screen size, then scaled to the device.
        const int w = MulDiv(GetWidth(), sad.ppixScreen, std::max(1, sad.ppixDevice));
        const int h = MulDiv(GetHeight(), sad.ppiyScreen, std::max(1, sad.ppiyDevice));
        TBitmap work(std::max(1, w), std::max(1, h));
        work.Canvas().Brush().SetColor(color == clNone ? clWhite : color);
        work.Canvas().FillRect(Rect(0, 0, work.Width(), work.Height()));
        back->Draw(work.Canvas(), Rect(0, 0, work.Width(), work.Height()), 0, 0, work.Width(),
                   work.Height(), color);
        RN_PictureToDevice(canvas, left, top, sad, work, true);
    } else if (!NoPageFill && color != clNone) {
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.Brush().SetColor(color);
        canvas.FillRect(Bounds(left, top, GetWidth(), GetHeight()));
        canvas.Brush().SetStyle(TBrushStyle::bsClear);
    }
}

// The background and border of the paragraph that starts at draw line `d`, over the draw
// lines up to the next item that can start a border (those on this page only). Answers the
// last draw line it covered.
int TCustomPrintableRNData::DrawParaBack(TCanvas& canvas, const TRNScreenAndDevice& sad, int d,
                                         int endNo, int left, int top) {
    const TRNDrawLineInfo& di = *DrawItems[d];
    const TCustomRNItemInfo& item = GetItem(di.ItemNo);
    TRNStyle& style = *GetRNStyle();
    const TParaInfos& paras = style.ParaStyles();
    const TParaInfo& para =
        paras[item.ParaNo >= 0 && item.ParaNo < paras.Count() ? item.ParaNo : 0];
    if (item.StyleNo == -1 ||
        (para.Border.Style == TRNBorderStyle::rnbNone && para.Background.Color == clNone)) {
        return d;
    }
    auto h = [&](int v) { return MulDiv(v, sad.ppixDevice, std::max(1, sad.ppixScreen)); };
    TRect block =
        Rect(left + h(GetLeftMargin() + para.LeftIndent), di.Top,
             left + GetWidth() - h(GetRightMargin() + para.RightIndent), di.Top + di.Height);
    int j = d + 1;
    while (j <= endNo && (DrawItems[j]->ItemNo == di.ItemNo ||
                          !GetItem(DrawItems[j]->ItemNo).CanBeBorderStart())) {
        block.Top = std::min(block.Top, DrawItems[j]->Top);
        block.Bottom = std::max(block.Bottom, DrawItems[j]->Top + DrawItems[j]->Height);
        ++j;
    }
    block.Top -= top;
    block.Bottom -= top;
    TRect back = block;
    para.Background.PrepareDraw(back);
    style.DrawParaBack(canvas, item.ParaNo, back);
    para.Border.Draw(block, canvas);
    return j - 1;
}

// The item is drawn at screen size into a bitmap, which is scaled onto the page: only the part
// the page shows, so a picture many pages wide costs a page's pixels, not its own. A picture on a
// page shown smaller than the screen shows it (a preview) is drawn at the pixels shown there: it
// is prepared at that size, not at its own.
void TCustomPrintableRNData::PrintThroughBitmap(TCanvas& canvas, TCustomRNItemInfo& item,
                                                const TRect& r, const TRNScreenAndDevice& sad,
                                                bool preview) {
    const int deviceX = std::max(1, sad.ppixDevice);
    const int deviceY = std::max(1, sad.ppiyDevice);
    const int w = std::max(1, MulDiv(r.Width(), sad.ppixScreen, deviceX));
    const int h = std::max(1, MulDiv(r.Height(), sad.ppiyScreen, deviceY));
    // What the page shows of the item, and the item's screen pixels that cover it.
    TRect shown = r;
    TRect pixels = Rect(0, 0, w, h);
    if (!canvas.VisiblePart(shown, pixels)) {
        return;
    }
    if (dynamic_cast<const TRNControlItemInfo*>(&item) != nullptr) {
        // A control centres its picture in the bitmap: it gets the whole of it.
        shown = r;
        pixels = Rect(0, 0, w, h);
    }
    const TRect dest = Bounds(shown.Left, shown.Top,
                              RN_ScreenToDevice(pixels.Width(), sad.ppixDevice, sad.ppixScreen),
                              RN_ScreenToDevice(pixels.Height(), sad.ppiyDevice, sad.ppiyScreen));
    int bitmapWidth = pixels.Width();
    int bitmapHeight = pixels.Height();
    if (item.AsImage() != nullptr) {
        const TRect seen = canvas.LogicalToDevice(dest);
        bitmapWidth = std::clamp(std::abs(seen.Width()), 1, bitmapWidth);
        bitmapHeight = std::clamp(std::abs(seen.Height()), 1, bitmapHeight);
    }
    TBitmap work(bitmapWidth, bitmapHeight);
    TCanvas& drawn = work.Canvas();
    if (pixels.Left > 0 || pixels.Top > 0 || bitmapWidth != pixels.Width() ||
        bitmapHeight != pixels.Height()) {
        // The item draws itself at the bitmap's origin at screen size: its hidden part falls off
        // the bitmap, and what shows is scaled to the bitmap.
        drawn.SetMapMode(TMapMode::mmAnisotropic);
        drawn.SetWindowExt(pixels.Width(), pixels.Height());
        drawn.SetViewportExt(bitmapWidth, bitmapHeight);
        drawn.SetViewportOrg(-MulDiv(pixels.Left, bitmapWidth, pixels.Width()),
                             -MulDiv(pixels.Top, bitmapHeight, pixels.Height()));
    }
    const TColor color = GetColor();
    drawn.Brush().SetColor(color == clNone ? clWhite : color);
    drawn.FillRect(pixels);
    bool printed = false;
    {
        // A picture far larger than the page is prepared in the piece the page shows.
        std::optional<TPicturePage> page;
        if (item.AsImage() != nullptr) {
            page.emplace();
        }
        printed = item.PrintToBitmap(work, preview, *this);
    }
    if (printed) {
        canvas.StretchDraw(dest, work);
    }
}

void TCustomPrintableRNData::DrawPage(int pageNo, TCanvas& canvas, bool preview, bool correction) {
    TRNStyle* style = GetRNStyle();
    if (!style) {
        throw ERichNoteError("Style of printable TRichNote component is not assigned");
    }
    CheckPageNo(pageNo);
    TRNScreenAndDevice sad;
    GetSADForFormatting(canvas, sad);
    int startNo = 0, endNo = -1, part = -1;
    GetDrawItemsRange(pageNo, startNo, endNo, part);
    const int top = GetTopCoord(pageNo);
    const int top2 = GetTopCoord2(pageNo);
    const int left = GetPrintableAreaLeft();
    canvas.Brush().SetStyle(TBrushStyle::bsClear);
    CharExtraGuard extraGuard(canvas);
    const int savedExtra = extraGuard.Saved();

    DrawPageBackground(canvas, sad);
    DoPagePrepaint(canvas, pageNo, preview);

    int x = 0;
    int lastStyleNo = -1;
    int coveredTo = startNo - 1;
    for (int d = startNo; d <= endNo && d < DrawItems.Count(); ++d) {
        TRNDrawLineInfo& di = *DrawItems[d];
        TCustomRNItemInfo& item = GetItem(di.ItemNo);
        const bool firstOnPage = d == startNo;
        int itemPart = -1;
        if (firstOnPage && part >= 0) {
            itemPart = part;
        } else if (d == endNo && d != startNo) {
            auto* multi = dynamic_cast<TRNMultiDrawItemInfo*>(&di);
            if (multi && !multi->PartsList.empty()) {
                itemPart = 0;
            }
        }
        // The text after a cut item that opens the page is placed by the part's own top.
        const int lineTop = (part > 0 && d > startNo) ? top2 : top;
        if (!correction || di.FromNewLine || di.Left > x) {
            x = di.Left;
        }
        const bool opensBorder = d > coveredTo &&
                                 (firstOnPage || d == 0 || DrawItems[d - 1]->ItemNo != di.ItemNo) &&
                                 item.StyleNo != -1 && (firstOnPage || item.CanBeBorderStart());
        if (opensBorder) {
            coveredTo = DrawParaBack(canvas, sad, d, endNo, left, lineTop);
            lastStyleNo = -1;
        }
        if (!item.IsText()) {
            // A cut item opening the page starts its part at the top of the text area.
            const int y = itemPart >= 0 && firstOnPage ? -top : di.Top - lineTop;
            if (item.GetBoolValue(TRNItemBoolProperty::rnbpPrintToBMP)) {
                PrintThroughBitmap(canvas, item, Bounds(x + left, y, di.Width, di.Height), sad,
                                   preview);
            } else {
                item.Print(canvas, x + left, y, left + GetWidth(), preview, correction, sad, *this,
                           &di, itemPart);
            }
            lastStyleNo = -1;
            x += di.Width;
            continue;
        }
        if (item.StyleNo != lastStyleNo) {
            style->ApplyStyle(canvas, item.StyleNo);
            lastStyleNo = item.StyleNo;
        }
        style->ApplyStyleColor(canvas, item.StyleNo, {});
        const std::string text = DrawItems.GetString(d, *this);
        const TFontInfo& font = style->TextStyles()[item.StyleNo];
        int textWidth = 0;
        if (correction && di.Length > 1) {
            canvas.SetTextCharacterExtra(savedExtra);
            textWidth = RNU_TextWidth(RN_ReturnCapitalized(text, font), canvas, item.ItemOptions);
            const int gaps = di.Length - 1;
            canvas.SetTextCharacterExtra(
                (gaps * savedExtra + (di.Width - di.JustifyExtra - textWidth)) / gaps);
        }
        style->DrawStyleText(text, canvas, di.ItemNo, di.Offs, item.StyleNo, this, di.JustifyExtra,
                             x + left, di.Top - lineTop, di.Width, di.Height, {});
        if (correction) {
            const int drawn =
                RNU_TextWidth(RN_ReturnCapitalized(text, font), canvas, item.ItemOptions);
            x += std::max(drawn + di.JustifyExtra, di.Width);
            canvas.SetTextCharacterExtra(savedExtra);
        } else {
            x += di.Width;
        }
    }
}

// TPrintableRNData

TPrintableRNData::TPrintableRNData(IRichNoteHost& richNote) : TCustomPrintableRNData(richNote) {}

TPrintableRNData::~TPrintableRNData() = default;

int TPrintableRNData::MarginPix(int mm, int ppi, int unprintable) {
    return std::max(0, MulDiv(mm, 5 * ppi, 127) - unprintable);
}

void TPrintableRNData::DoFormatting(int pageCompleted, TRNPrintingStep step) {
    if (OnFormatting) {
        OnFormatting(pageCompleted, step);
    }
}

TColor TPrintableRNData::GetColor() const {
    return TransparentBackground ? clNone : TCustomPrintableRNData::GetColor();
}

void TPrintableRNData::GetSADForFormatting(TCanvas&, TRNScreenAndDevice& sad) {
    sad = Sad;
}

std::unique_ptr<TBitmap> TPrintableRNData::PrintComponent(IEmbeddedControl& control) {
    return OnPrintComponent ? OnPrintComponent(control) : nullptr;
}

void TPrintableRNData::MeasurePrinter(TCanvas& printer) {
    const int ppiX = printer.PixelsPerInchX();
    const int ppiY = printer.PixelsPerInchY();
    const TPoint offset = printer.PhysicalOffset();
    const TSize physical = printer.PhysicalSize();
    const TSize page = printer.SurfaceSize();
    printer.Font().SetPixelsPerInch(ppiY);
    RN_InfoAboutSaD(Sad, printer);
    LeftMarginPix = MarginPix(LeftMarginMM, ppiX, offset.X);
    TopMarginPix = MarginPix(TopMarginMM, ppiY, offset.Y);
    RightMarginPix = MarginPix(RightMarginMM, ppiX, physical.cx - (page.cx + offset.X));
    BottomMarginPix = MarginPix(BottomMarginMM, ppiY, physical.cy - (page.cy + offset.Y));
    width_ = page.cx - (LeftMarginPix + RightMarginPix);
    height_ = page.cy - (TopMarginPix + BottomMarginPix);
    ExtraTopMarginDev = MulDiv(ExtraTopMargin, Sad.ppiyDevice, Sad.ppiyScreen);
    ExtraBottomMarginDev = MulDiv(ExtraBottomMargin, Sad.ppiyDevice, Sad.ppiyScreen);
    if (width_ <= 0 || height_ - (ExtraTopMarginDev + ExtraBottomMarginDev) <= 0) {
        throw ERichNoteError("The margins leave no room for text on the page");
    }
    maxTextWidth_ = MulDiv(width_, Sad.ppixScreen, Sad.ppixDevice);
}

int TPrintableRNData::FormatPages() {
    DoFormatting(0, TRNPrintingStep::rnpsStarting);
    {
        std::unique_ptr<TCanvas> printer = InitPrinterCanvas();
        if (!printer) {
            throw ERichNoteError("No printer is set up");
        }
        MeasurePrinter(*printer);
        ItemLayoutGuard guard(*this);
        Format_(false, true, true, 0, *printer, false);
        DonePrinterCanvas(std::move(printer));
    }
    Pages.clear();
    if (DrawItems.Count() == 0) {
        return 0;
    }
    Paginate();
    return PageCount();
}

void TPrintableRNData::AddPage(int firstDrawItemNo, int pageTopY, int firstPartNo) {
    TRNPageInfo page;
    page.FirstDrawItemNo = firstDrawItemNo;
    page.PageTopY = pageTopY;
    page.FirstPartNo = firstPartNo;
    Pages.push_back(page);
}

void TPrintableRNData::Paginate() {
    const int count = DrawItems.Count();
    const TParaInfos& paras = GetRNStyle()->ParaStyles();
    auto dev = [&](int v) { return MulDiv(v, Sad.ppiyDevice, Sad.ppiyScreen); };
    auto paraOf = [&](int d) -> const TParaInfo& {
        const int p = GetItem(DrawItems[d]->ItemNo).ParaNo;
        return paras[p >= 0 && p < paras.Count() ? p : 0];
    };
    const int pageText = height_ - (ExtraTopMarginDev + ExtraBottomMarginDev);

    Pages.clear();
    AddPage(0, 0, 0);
    int n = 1;
    int y = 0;
    DoFormatting(0, TRNPrintingStep::rnpsProceeding);
    int reserved = FirstPageTopOffset;
    int i = 0;
    while (i < count) {
        TRNDrawLineInfo& di = *DrawItems[i];
        const TCustomRNItemInfo& item = GetItem(di.ItemNo);
        const int sb = dev(paraOf(i).SpaceBefore);
        const int sa = dev(paraOf(i).SpaceAfter);
        const bool forcedBreak = i > 0 && DrawItems[i - 1]->ItemNo != di.ItemNo &&
                                 item.GetPageBreakBefore() && Pages.back().FirstDrawItemNo != i;
        auto* multi = dynamic_cast<TRNMultiDrawItemInfo*>(&di);
        if (multi && multi->InitSplit()) {
            auto startsHere = [&] { return Pages.back().FirstDrawItemNo == i; };
            if (startsHere()) {
                Pages.back().FirstPartNo = 1;
                Pages.back().PageTopY = -sb;
            }
            int room = y + pageText - reserved - di.Top - sa;
            if (forcedBreak || (!startsHere() && !multi->CanSplitFirst(room))) {
                AddPage(i, -sb, 1);
                DoFormatting(n, TRNPrintingStep::rnpsProceeding);
                ++n;
                y = 0;
                reserved = 0;
                room = pageText - sb - sa;
            }
            // At least one pixel each time, and a part of no height ends the cutting.
            while (multi->SplitAt(std::max(1, room))) {
                const int parts = static_cast<int>(multi->PartsList.size());
                if (parts == 0 || multi->PartsList.back().Height <= 0) {
                    break;
                }
                // The list ends with the rest the cut left over: the new page opens with it.
                AddPage(i, -sb, parts);
                TRNPageInfo& before = Pages[Pages.size() - 2];
                if (before.FirstDrawItemNo == i && parts >= 2) {
                    before.PartTopY = di.Top + di.Height -
                                      multi->PartsList[static_cast<size_t>(parts - 2)].Height - sb;
                }
                DoFormatting(n, TRNPrintingStep::rnpsProceeding);
                ++n;
                reserved = 0;
                y = 0;
                room = pageText - sb - sa;
            }
            if (startsHere() && !multi->PartsList.empty()) {
                y = di.Top + di.Height - multi->PartsList.back().Height - sb;
                Pages.back().PartTopY = y;
            }
            ++i;
            continue;
        }
        if (y + pageText - reserved >= di.Top + di.Height + sa && !forcedBreak) {
            ++i;
            continue;
        }
        int j = i;
        while (j > 0 && !DrawItems[j]->FromNewLine) {
            --j;
        }
        if (reserved <= 0 && Pages.back().FirstDrawItemNo == j) {
            // The line is taller than a page: it stays alone, the next line starts a page.
            ++j;
            while (j < count && !DrawItems[j]->FromNewLine) {
                ++j;
            }
        }
        if (j != count) {
            int lineTop = DrawItems[j]->Top;
            for (int k = j + 1; k < count && !DrawItems[k]->FromNewLine; ++k) {
                lineTop = std::min(lineTop, DrawItems[k]->Top);
            }
            y = lineTop - dev(paraOf(j).SpaceBefore);
            AddPage(j, y, 0);
            DoFormatting(n, TRNPrintingStep::rnpsProceeding);
            ++n;
            reserved = 0;
        }
        i = j;
    }

    int lastLine = count - 1;
    while (lastLine > 0 && !DrawItems[lastLine]->FromNewLine) {
        --lastLine;
    }
    int end = 0;
    for (int k = lastLine; k < count; ++k) {
        end = std::max(end, DrawItems[k]->Top + DrawItems[k]->Height);
    }
    end += dev(paraOf(count - 1).SpaceAfter);
    const TRNPageInfo& last = Pages.back();
    LastPageBottom = end - (last.FirstPartNo == 0 ? last.PageTopY : last.PartTopY);
    if (n == 1) {
        LastPageBottom += FirstPageTopOffset;
    }
    DoFormatting(n, TRNPrintingStep::rnpsProceeding);
    DoFormatting(n, TRNPrintingStep::rnpsFinished);
}

int TPrintableRNData::GetTopCoord(int pageNo) const {
    const TRNPageInfo& page = Pages[static_cast<size_t>(pageNo - 1)];
    return page.PageTopY - TopMarginPix - ExtraTopMarginDev -
           (pageNo == 1 ? FirstPageTopOffset : 0);
}

int TPrintableRNData::GetTopCoord2(int pageNo) const {
    const TRNPageInfo& page = Pages[static_cast<size_t>(pageNo - 1)];
    return page.PartTopY - TopMarginPix - ExtraTopMarginDev -
           (pageNo == 1 ? FirstPageTopOffset : 0);
}

void TPrintableRNData::GetDrawItemsRange(int pageNo, int& startNo, int& endNo, int& part) const {
    const TRNPageInfo& page = Pages[static_cast<size_t>(pageNo - 1)];
    startNo = page.FirstDrawItemNo;
    part = page.FirstPartNo - 1;
    if (pageNo < PageCount()) {
        const TRNPageInfo& next = Pages[static_cast<size_t>(pageNo)];
        endNo = next.FirstDrawItemNo - 1 + (next.FirstPartNo > 1 ? 1 : 0);
    } else {
        endNo = DrawItems.Count() - 1;
    }
}

void TPrintableRNData::CheckPageNo(int pageNo) const {
    if (pageNo < 1 || pageNo > PageCount()) {
        throw ERichNoteError("Invalid page number is specified for printing");
    }
}

void TPrintableRNData::DoPagePrepaint(TCanvas& canvas, int pageNo, bool preview) {
    if (!OnPagePrepaint) {
        return;
    }
    const TRect page = Rect(0, 0, width_ + LeftMarginPix + RightMarginPix,
                            height_ + TopMarginPix + BottomMarginPix);
    const TRect area = Bounds(LeftMarginPix, TopMarginPix, width_, height_);
    OnPagePrepaint(canvas, pageNo, preview, page, area);
}

// TRectPtblRNData

TRectPtblRNData::TRectPtblRNData(TCustomRNData& source, TPrintableRNData& page)
    : TCustomPrintableRNData(page.RichNote), page_(page) {
    ShareItemsFrom(source);
}

void TRectPtblRNData::GetSADForFormatting(TCanvas&, TRNScreenAndDevice& sad) {
    sad = page_.Sad;
}
