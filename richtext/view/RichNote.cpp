#include "richtext/view/RichNote.h"

#include "platform/base/Stream.h"
#include "platform/widgets/Clipboard.h"
#include "platform/widgets/FocusTracker.h"
#include "richtext/model/RNRTFState.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <QApplication>

#include <algorithm>

namespace {

// The window that the document's controls are placed on: the viewer itself.
class TViewerControlParent : public TWidgetControlParent {
public:
    using TWidgetControlParent::TWidgetControlParent;
};

std::unique_ptr<TRichNoteRNData> MakeViewerData(IRichNoteHost& owner) {
    return std::make_unique<TRichNoteRNData>(owner);
}

} // namespace

TRichNote::TRichNote(QWidget* parent)
    : TRNScroller(parent), background_(std::make_unique<TRNBackground>()),
      controlParent_(std::make_unique<TViewerControlParent>(this)) {
    SetBorderStyle(TBorderStyle::bsSingle);
    SetColor(clNone);
    TFocusTracker::Instance();
    // A click into a control of the document gives it the focus without the document seeing
    // a key: the document hears of it here.
    focusWatch_ = QObject::connect(qApp, &QApplication::focusChanged, this,
                                   [this](QWidget*, QWidget* now) { ChildFocused(now); });
    resize(100, 40);
    background_->Bitmap().OnChange = [this] { DoOnBackBitmapChange(); };
}

TRichNote::~TRichNote() {
    destroying_ = true;
    // The widget's own destruction moves the focus: nothing of this control may hear of it.
    QObject::disconnect(focusWatch_);
    if (style_ != nullptr) {
        style_->RemoveFreeNotification(styleFreeKey_);
    }
    DeactivateScrollTimer();
    background_->Bitmap().OnChange = nullptr;
    if (data_) {
        data_->Clear();
    }
    data_.reset();
}

TRichNoteDataClass TRichNote::GetDataClass() const {
    return &MakeViewerData;
}

TRichNoteRNData& TRichNote::RNData() {
    if (!data_) {
        data_ = NewData();
    }
    return *data_;
}

std::unique_ptr<TRichNoteRNData> TRichNote::NewData() {
    std::unique_ptr<TRichNoteRNData> data = CreateData();
    // Copies go to the system clipboard unless a test hands the data a writer of its own.
    static TClipboard systemClipboard;
    data->Clipboard = &systemClipboard;
    return data;
}

TCanvas* TRichNote::GetCanvas() const {
    return &const_cast<TRichNote*>(this)->Canvas();
}

void TRichNote::InvalidateIfAsked() {
    if (Options.Contains(TRNOption::rnoFormatInvalidate)) {
        Invalidate();
    }
}

void TRichNote::SetStyle(TRNStyle* style) {
    if (style_ != nullptr) {
        style_->RemoveFreeNotification(styleFreeKey_);
    }
    style_ = style;
    if (style_ != nullptr) {
        // A sheet destroyed while the control still shows through it is dropped, and the
        // control paints its "no style" look instead of reading freed styles.
        styleFreeKey_ = style_->AddFreeNotification([this] {
            style_ = nullptr;
            Invalidate();
        });
    }
    InvalidateIfAsked();
}

TColor TRichNote::GetHoverColor(TColor color) const {
    if (color != clNone) {
        return color;
    }
    return style_ ? style_->HoverColor : clNone;
}

void TRichNote::SetBackgroundBitmap(const TBitmap& bitmap) {
    background_->Bitmap().Assign(bitmap);
    DoOnBackBitmapChange();
}

void TRichNote::SetBackgroundStyle(TBackgroundStyle style) {
    background_->Style = style;
    DoOnBackBitmapChange();
}

void TRichNote::DoOnBackBitmapChange() {
    if (destroying_ || RNData().UpdatingBackgroundPalette()) {
        return;
    }
    FullRedraw = background_->ScrollRequiresFullRedraw();
    RNData().UpdateBackgroundPaletteInfo(background_.get());
    InvalidateIfAsked();
}

void TRichNote::SetVSmallStep(int step) {
    // The scroll range must stay below 32001 steps.
    if (step <= 0 || RNData().DocumentHeight / step >= 32001) {
        return;
    }
    VSmallStep = step;
}

void TRichNote::UpdatePaletteInfo() {
    TRNScroller::UpdatePaletteInfo();
    RNData().UpdateItemsPaletteInfo();
    RNData().UpdateBackgroundPaletteInfo(background_.get());
    Invalidate();
}

void TRichNote::InvalidateClient(const TRect* r) {
    if (r) {
        InvalidateRect(*r);
    } else {
        Invalidate();
    }
}

// Formatting and painting.

void TRichNote::Format() {
    if (!CanFormat()) {
        return;
    }
    RNData().Format_(false, true, false, 0, Canvas(), false);
    InvalidateIfAsked();
}

void TRichNote::FormatTail() {
    if (!CanFormat()) {
        return;
    }
    RNData().Format_(false, true, false, 0, Canvas(), true);
    InvalidateIfAsked();
}

void TRichNote::FormatIfStale() {
    if (!CanFormat()) {
        return;
    }
    TCustomRNFormattedData& data = RNData();
    const bool laidOut = data.DrawItems.Count() > 0 && data.LastFormattedItemNo >= 0 &&
                         data.LastFormattedItemNo == data.ItemCount() - 1;
    data.Format_(laidOut, !laidOut, false, 0, Canvas(), false);
    InvalidateIfAsked();
}

void TRichNote::Resize() {
    TRNScroller::Resize();
    if (CanFormat() && !destroying_) {
        RNData().Format_(true, false, false, 0, Canvas(), false);
    }
}

void TRichNote::Paint() {
    if (style_) {
        // The figure that follows the mouse goes before the document is painted over and
        // comes back after.
        const bool xorDrawn = RNData().ClearXorDrawing();
        RNData().PaintBuffered();
        if (xorDrawn) {
            RNData().XorDrawing();
        }
        return;
    }
    TCanvas& canvas = Canvas();
    canvas.Brush().SetColor(GetEffectiveColor());
    canvas.Brush().SetStyle(TBrushStyle::bsSolid);
    canvas.Pen().SetColor(clWindow);
    canvas.Pen().SetStyle(TPenStyle::psSolid);
    canvas.Rectangle(ClientRect());
    canvas.Font().SetName("MS Sans Serif");
    canvas.Font().SetSize(8);
    canvas.Font().SetStyle({});
    canvas.Font().SetColor(clWindowText);
    canvas.TextOut(1, 1, "Error: style is not defined");
}

// Building.

void TRichNote::AddItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item) {
    RNData().AddItem(std::move(text), std::move(item));
}

void TRichNote::AddNL(std::string s, int styleNo, int paraNo) {
    RNData().AddNL(std::move(s), styleNo, paraNo);
}

void TRichNote::AddNLTag(std::string s, int styleNo, int paraNo, const RNTag& tag) {
    RNData().AddNLTag(std::move(s), styleNo, paraNo, tag);
}

void TRichNote::AddTextNL(std::string_view s, int styleNo, int firstParaNo, int otherParaNo) {
    RNData().AddTextNL(s, styleNo, firstParaNo, otherParaNo);
}

void TRichNote::AddTextBlockNL(std::string_view s, int styleNo, int paraNo) {
    RNData().AddTextBlockNL(s, styleNo, paraNo);
}

void TRichNote::AddNLATag(std::string_view s, int styleNo, int paraNo, const RNTag& tag) {
    RNData().AddNLATag(s, styleNo, paraNo, tag);
}

void TRichNote::AddNLWTag(std::u16string_view s, int styleNo, int paraNo, const RNTag& tag) {
    RNData().AddNLWTag(s, styleNo, paraNo, tag);
}

void TRichNote::AddTextNLW(std::string_view text, int styleNo, int firstParaNo, int otherParaNo,
                           bool asSingleParagraph) {
    const bool unicode = style_ && styleNo >= 0 && styleNo < style_->TextStyles().Count() &&
                         style_->TextStyles()[styleNo].Unicode;
    if (unicode) {
        RNData().AddTextNLW(text, styleNo, firstParaNo, otherParaNo, asSingleParagraph);
        return;
    }
    const std::string ansi = RNU_UnicodeToAnsi(RNData().GetStyleCodePage(styleNo), text);
    if (asSingleParagraph) {
        RNData().AddTextBlockNL(ansi, styleNo, firstParaNo);
    } else {
        RNData().AddTextNL(ansi, styleNo, firstParaNo, otherParaNo);
    }
}

void TRichNote::AddBreakTag(const RNTag& tag) {
    RNData().AddBreakTag(tag);
}

void TRichNote::AddBreakExTag(uint8_t width, TRNBreakStyle style, TColor color, const RNTag& tag) {
    RNData().AddBreakExTag(width, style, color, tag);
}

int TRichNote::AddNamedCheckpointExTag(const std::string& name, bool raiseEvent, const RNTag& tag) {
    return RNData().AddNamedCheckpointExTag(name, raiseEvent, tag);
}

void TRichNote::AddBulletExTag(const std::string& name, int imageIndex, const TImageList* imageList,
                               int paraNo, const RNTag& tag) {
    RNData().AddBulletExTag(name, imageIndex, imageList, paraNo, tag);
}

void TRichNote::AddHotspotExTag(const std::string& name, int imageIndex, int hotImageIndex,
                                const TImageList* imageList, int paraNo, const RNTag& tag) {
    RNData().AddHotspotExTag(name, imageIndex, hotImageIndex, imageList, paraNo, tag);
}

void TRichNote::AddPictureExTag(const std::string& name, std::unique_ptr<TGraphic> graphic,
                                int paraNo, TRNVAlign vAlign, const RNTag& tag) {
    RNData().AddPictureExTag(name, std::move(graphic), paraNo, vAlign, tag);
}

void TRichNote::AddControlExTag(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                                int paraNo, TRNVAlign vAlign, const RNTag& tag) {
    RNData().AddControlExTag(name, std::move(control), paraNo, vAlign, tag);
}

void TRichNote::AppendFrom(const TRichNote& source) {
    RNData().AppendFrom(*source.data_);
}

void TRichNote::SetAddParagraphMode(bool allowNewPara) {
    RNData().SetAddParagraphMode(allowNewPara);
}

void TRichNote::DeleteSection(const std::string& cpName) {
    RNData().DeleteSection(cpName);
}

void TRichNote::DeleteLines(int firstItemNo, int count) {
    RNData().DeleteItems(firstItemNo, count);
}

void TRichNote::ClearTemporal() {
    DeactivateScrollTimer();
    RNData().ClearTemporal();
}

void TRichNote::Clear() {
    ClearTemporal();
    RNData().Clear();
}

void TRichNote::SetItemText(int itemNo, std::string text) {
    RNData().GetItem(itemNo);
    RNData().Items()[itemNo].Text = std::move(text);
}

void TRichNote::SetPageBreaksBeforeItems(int itemNo, bool value) {
    RNData().SetPageBreaksBeforeItems(itemNo, value);
    if (Options.Contains(TRNOption::rnoShowPageBreaks)) {
        Invalidate();
    }
}

bool TRichNote::CompareTags(const RNTag& t1, const RNTag& t2) const {
    return RN_CompareTags(t1, t2, Options.Contains(TRNOption::rnoTagsArePChars));
}

void TRichNote::AssignEvents(const TRichNote& source) {
    Handlers = source.Handlers;
    OnVScrolled = source.OnVScrolled;
    OnClick = source.OnClick;
    OnKeyDown = source.OnKeyDown;
    OnKeyUp = source.OnKeyUp;
    OnKeyPress = source.OnKeyPress;
}

// Files and streams.

bool TRichNote::LoadRNF(const std::string& fileName) {
    TColor color = Color();
    const bool ok = RNData().LoadRNF(fileName, color, background_.get());
    SetColor(color);
    DoOnBackBitmapChange();
    return ok;
}

bool TRichNote::LoadRNFFromStream(TStream& stream) {
    TColor color = Color();
    const bool ok = RNData().LoadRNFFromStream(stream, color, background_.get());
    SetColor(color);
    DoOnBackBitmapChange();
    return ok;
}

bool TRichNote::InsertRNFFromStream(TStream& stream, int index) {
    TColor color = Color();
    const bool ok = RNData().InsertRNFFromStream(stream, index, color, background_.get(), false);
    SetColor(color);
    DoOnBackBitmapChange();
    return ok;
}

bool TRichNote::AppendRNFFromStream(TStream& stream, int paraNo) {
    TColor color = Color();
    const bool ok = RNData().AppendRNFFromStream(stream, paraNo, color, background_.get());
    SetColor(color);
    DoOnBackBitmapChange();
    return ok;
}

bool TRichNote::SaveRNF(const std::string& fileName, bool selectionOnly) {
    return RNData().SaveRNF(fileName, selectionOnly, GetEffectiveColor(), background_.get());
}

bool TRichNote::SaveRNFToStream(TStream& stream, bool selectionOnly) {
    return RNData().SaveRNFToStream(stream, selectionOnly, GetEffectiveColor(), background_.get());
}

bool TRichNote::LoadText(const std::string& fileName, int styleNo, int paraNo,
                         bool asSingleParagraph) {
    return RNData().LoadText(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TRichNote::LoadTextW(const std::string& fileName, int styleNo, int paraNo,
                          bool asSingleParagraph) {
    return RNData().LoadTextW(fileName, styleNo, paraNo, asSingleParagraph);
}

bool TRichNote::SaveText(const std::string& fileName, int lineWidth) {
    return RNData().SaveText(fileName, lineWidth, false);
}

bool TRichNote::SaveTextW(const std::string& fileName, int lineWidth) {
    return RNData().SaveText(fileName, lineWidth, true);
}

bool TRichNote::SaveTextToStream(const std::string& path, TStream& stream, int lineWidth,
                                 bool selectionOnly, bool textOnly) {
    return RNData().SaveTextToStream(path, stream, lineWidth, selectionOnly, textOnly, false);
}

bool TRichNote::SaveTextToStreamW(const std::string& path, TStream& stream, int lineWidth,
                                  bool selectionOnly, bool textOnly) {
    return RNData().SaveTextToStream(path, stream, lineWidth, selectionOnly, textOnly, true);
}

// RTF and HTML.

TRNRTFReaderProperties* TRichNote::GetRTFReadProperties() {
    if (!rtfReadProperties_) {
        rtfReadProperties_ = std::make_unique<TRNRTFReaderProperties>();
    }
    return rtfReadProperties_.get();
}

void TRichNote::SetRTFReadProperties(const TRNRTFReaderProperties* properties) {
    if (!properties) {
        rtfReadProperties_.reset();
        return;
    }
    GetRTFReadProperties()->Assign(*properties);
}

bool TRichNote::LoadRTF(const std::string& fileName) {
    GetRTFReadProperties();
    return RNData().LoadRTF(fileName) == TRNRTFErrorCode::rtf_ec_OK;
}

bool TRichNote::LoadRTFFromStream(TStream& stream) {
    GetRTFReadProperties();
    return RNData().LoadRTFFromStream(stream) == TRNRTFErrorCode::rtf_ec_OK;
}

bool TRichNote::SaveRTF(const std::string& fileName, bool selectionOnly) {
    return RNData().SaveRTF(fileName, selectionOnly, GetEffectiveColor(), background_.get());
}

bool TRichNote::SaveRTFToStream(TStream& stream, bool selectionOnly) {
    return RNData().SaveRTFToStream(stream, selectionOnly, 0, GetEffectiveColor(),
                                    background_.get(), nullptr, nullptr, nullptr, 0);
}

void TRichNote::StartHTMLExport(const std::string& imagesPrefix, TRNSaveOptions options,
                                bool plain) {
    imagesPrefix_ = imagesPrefix;
    saveOptions_ = options;
    if (plain) {
        currentFileColor_ = GetEffectiveColor();
    }
    imageSaveNo_ = 0;
}

bool TRichNote::SaveHTML(const std::string& fileName, const std::string& title,
                         const std::string& imagesPrefix, TRNSaveOptions options) {
    StartHTMLExport(imagesPrefix, options, true);
    return RNData().SaveHTML(fileName, title, imagesPrefix, options, currentFileColor_,
                             imageSaveNo_, LeftMargin, TopMargin, RightMargin, BottomMargin,
                             background_.get());
}

bool TRichNote::SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                                 const std::string& imagesPrefix, TRNSaveOptions options) {
    StartHTMLExport(imagesPrefix, options, true);
    return RNData().SaveHTMLToStream(stream, path, title, imagesPrefix, options, currentFileColor_,
                                     imageSaveNo_, LeftMargin, TopMargin, RightMargin, BottomMargin,
                                     background_.get(), nullptr);
}

bool TRichNote::SaveHTMLEx(const std::string& fileName, const std::string& title,
                           const std::string& imagesPrefix, const std::string& extraStyles,
                           const std::string& externalCSS, const std::string& cpPrefix,
                           TRNSaveOptions options) {
    StartHTMLExport(imagesPrefix, options, false);
    return RNData().SaveHTMLEx(fileName, title, imagesPrefix, extraStyles, externalCSS, cpPrefix,
                               options, GetEffectiveColor(), currentFileColor_, imageSaveNo_,
                               LeftMargin, TopMargin, RightMargin, BottomMargin, background_.get());
}

bool TRichNote::SaveHTMLToStreamEx(TStream& stream, const std::string& path,
                                   const std::string& title, const std::string& imagesPrefix,
                                   const std::string& extraStyles, const std::string& externalCSS,
                                   const std::string& cpPrefix, TRNSaveOptions options) {
    StartHTMLExport(imagesPrefix, options, false);
    return RNData().SaveHTMLToStreamEx(stream, path, title, imagesPrefix, extraStyles, externalCSS,
                                       cpPrefix, options, GetEffectiveColor(), currentFileColor_,
                                       imageSaveNo_, LeftMargin, TopMargin, RightMargin,
                                       BottomMargin, background_.get(), nullptr);
}

std::string TRichNote::SavePicture(TRNSaveFormat format, const std::string& path,
                                   const TGraphic& graphic) {
    return RNData().SavePicture(format, imagesPrefix_, path, imageSaveNo_,
                                saveOptions_.Contains(TRNSaveOption::rnsoOverrideImages),
                                currentFileColor_, graphic);
}

// Mouse and the auto-scroll timer.

int TRichNote::AutoScrollStep(int pos, int extent) {
    if (pos < -20) {
        return -10;
    }
    if (pos < 0) {
        return -1;
    }
    if (pos - extent > 20) {
        return 10;
    }
    if (pos > extent) {
        return 1;
    }
    return 0;
}

void TRichNote::ActivateScrollTimer() {
    if (!scrollTimerActive_) {
        scrollTimerActive_ = true;
        SetTimer(ScrollTimerId, ScrollTimerPeriod);
    }
}

void TRichNote::DeactivateScrollTimer() {
    if (scrollTimerActive_) {
        scrollTimerActive_ = false;
        KillTimer(ScrollTimerId);
    }
}

void TRichNote::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (!InplaceEditor() && TabStop()) {
        // A click gives the focus: no tab navigation follows it.
        RNData().State.Include(TRNStateItem::rnstDoNotTab);
        SetFocus();
    }
    TRNScroller::MouseDown(button, shift, x, y);
    RNData().MouseDown(static_cast<int>(button), shift.Bits(), x, y);
    if (button == TMouseButton::mbLeft) {
        ActivateScrollTimer();
    }
}

void TRichNote::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    TRNScroller::MouseUp(button, shift, x, y);
    if (button == TMouseButton::mbLeft) {
        DeactivateScrollTimer();
    }
    // A selection made with the mouse never replaces the clipboard (a paste over it would
    // paste it over itself): with automatic copy on, its text becomes the primary selection.
    const bool selecting = RNData().State.Contains(TRNStateItem::rnstMakingSelection);
    RNData().MouseUp(static_cast<int>(button), shift.Bits(), x, y);
    if (selecting && button == TMouseButton::mbLeft && AutoCopies() &&
        RNData().SelectionExists(true, true)) {
        TClipboard::SetSelectionText(GetSelTextW());
    }
}

void TRichNote::MouseMove(TShiftState shift, int x, int y) {
    autoScrollV_ = AutoScrollStep(y, ClientHeight());
    autoScrollH_ = AutoScrollStep(x, ClientWidth());
    TRNScroller::MouseMove(shift, x, y);
    RNData().MouseMove(shift.Bits(), x, y);
}

void TRichNote::Dispatch(TMessage& message) {
    if (message.Msg == WM_TIMER && message.WParam == ScrollTimerId) {
        TimerScroll();
        return;
    }
    if (message.Msg == WM_COPY) {
        CopyMessage();
        return;
    }
    TRNScroller::Dispatch(message);
}

void TRichNote::TimerScroll() {
    const int oldV = VPos();
    const int oldH = HPos();
    if (autoScrollV_ != 0) {
        SetVPos(VPos() + autoScrollV_, true);
    }
    if (autoScrollH_ != 0) {
        SetHPos(HPos() + autoScrollH_);
    }
    if (VPos() != oldV || HPos() != oldH) {
        GenerateMouseMove();
    }
}

void TRichNote::AfterVScroll() {
    TRNScroller::AfterVScroll();
    GenerateMouseMove();
    RNData().AfterVScroll();
}

void TRichNote::AfterHScroll() {
    TRNScroller::AfterHScroll();
    GenerateMouseMove();
}
