#pragma once

// A rich-text document (or a nested one, such as a table cell): an ordered list of items,
// each with its text (a text item's characters, any other item's name), and the chain of the
// items' checkpoints in item order. The building operations append; the formatted, viewer and
// editor documents derive from it and answer the operations it forwards to its root.

#include "platform/graphics/Color.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/Graphic.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNItem.h"
#include "richtext/model/RNOptions.h"
#include "richtext/model/RichNoteSettings.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TBitmap;
class TImageList;
class TRNStyle;
class TStream;
class TRNRTFReaderProperties;
enum class TRNRTFErrorCode;

struct TRNItemSlot {
    std::string Text;
    std::unique_ptr<TCustomRNItemInfo> Item;
};
using TRNItemList = std::vector<TRNItemSlot>;

// What writing or reading a document as RNF takes from its root document. The documents of a
// table's cells share one root, so it is looked up once for all of them.
struct TRNFSettings {
    TCustomRNData* Root = nullptr;
    TRNFOptions Options;
    bool TagsArePChars = false;
    TRNStyle* Sheet = nullptr;
    // The items are already between StartExport and EndExport (their table's export started
    // them): the writer need not start and end them once more.
    bool ItemsExporting = false;
};

// One HTML export's arguments. `StyleClasses` picks markup by style classes and a style sheet
// over FONT markup; the image counter and the colour behind the last paragraph written come
// back in it.
struct TRNHTMLExportOptions {
    bool StyleClasses = false;
    std::string Path;
    std::string Title;
    std::string ImagesPrefix;
    std::string ExtraStyles;
    std::string ExternalCSS;
    std::string CPPrefix;
    TRNSaveOptions Options;
    TColor Color = clNone;
    TColor CurrentColor = clNone;
    int ImageSaveNo = 0;
    int LeftMargin = 0;
    int TopMargin = 0;
    int RightMargin = 0;
    int BottomMargin = 0;
    IRNBackground* Background = nullptr;
    TRNList<TRNHTMLBulletInfo>* Bullets = nullptr;
};

class TCustomRNData {
public:
    TCustomRNData();
    virtual ~TCustomRNData();
    TCustomRNData(const TCustomRNData&) = delete;
    TCustomRNData& operator=(const TCustomRNData&) = delete;

    // Answered by the root document; a document that is its own root answers the defaults.
    virtual TRNOptions GetOptions() const;
    virtual void SetOptions(TRNOptions options);
    virtual TRNFOptions GetRNFOptions() const;
    virtual void SetRNFOptions(TRNFOptions options);
    virtual TRNRTFOptions GetRTFOptions() const;
    virtual void SetRTFOptions(TRNRTFOptions options);
    virtual TRNFWarnings GetRNFWarnings() const;
    virtual void SetRNFWarnings(TRNFWarnings warnings);
    virtual TRNFReaderStyleMode GetRNFTextStylesReadMode() const;
    virtual TRNFReaderStyleMode GetRNFParaStylesReadMode() const;
    virtual TRNStyle* GetRNStyle() const;
    virtual std::string GetDelimiters() const;
    virtual IControlParent* GetParentControl() const;
    // The text that stands for a control in a text, HTML or RTF export.
    virtual std::string SaveComponentToFile(const std::string& path, IEmbeddedControl& control,
                                            TRNSaveFormat format);
    virtual std::unique_ptr<TGraphic> RNFPictureNeeded(const std::string& name, const RNTag& tag);
    virtual std::unique_ptr<IEmbeddedControl> RNFControlNeeded(const std::string& name,
                                                               const RNTag& tag);
    virtual const TImageList* RNFImageListNeeded(int imageListTag);
    virtual void ControlAction2(TRNControlAction action, int itemNo, IEmbeddedControl& control);
    virtual void HTMLSaveImage(TCustomRNData& rnData, int itemNo, const std::string& path,
                               TColor backgroundColor, std::string& location, bool& doDefault);
    virtual std::string GetURL(int itemNo);
    // Hypertext: the formatted document numbers the jumps and performs them.
    virtual int GetFirstJumpNo() const { return 0; }
    virtual void DoJump(int /*jumpNo*/) {}
    // A picture of a control for printing, when the printer is asked to draw one.
    virtual std::unique_ptr<TBitmap> PrintComponent(IEmbeddedControl& control);

    virtual TCustomRNData* GetRNData() { return this; }
    virtual TCustomRNData* GetParentData() const { return nullptr; }
    virtual TCustomRNData* GetRootData() { return this; }
    const TCustomRNData* GetRootData() const {
        return const_cast<TCustomRNData*>(this)->GetRootData();
    }
    // Whether this kind of document may use another's item list (ShareItemsFrom).
    virtual bool ShareItems() const { return false; }
    // Whether the list in use is another document's. Kept with the list itself, not asked of the
    // class: a base destructor would get the base's answer and free the other document's items.
    bool BorrowsItems() const { return items_ != &ownItems_; }
    // Whether this is a formatted document (the display layer's kind): a nested document asks
    // its root this for every item it frees, cheaper than asking the class hierarchy.
    virtual bool IsFormattedData() const { return false; }

    // Set by the controls: what Beep plays.
    std::function<void()> OnBeep;
    // The last content written closed its paragraph; the RTF writer then opens the next one
    // without a paragraph mark of its own, and clears it.
    bool LastContentClosedPara = false;

    // Items.
    int ItemCount() const { return static_cast<int>(items_->size()); }
    // The slots themselves, for the readers and editors built on this class.
    TRNItemList& Items() { return *items_; }
    const TRNItemList& Items() const { return *items_; }
    // Every access checks its index: ERichNoteError "Item index is out of bounds".
    TCustomRNItemInfo& GetItem(int itemNo) const {
        CheckItemNo(itemNo);
        return *(*items_)[static_cast<size_t>(itemNo)].Item;
    }
    const std::string& GetItemText(int itemNo) const {
        CheckItemNo(itemNo);
        return (*items_)[static_cast<size_t>(itemNo)].Text;
    }
    int GetItemNo(const TCustomRNItemInfo* item) const;
    int GetItemStyle(int itemNo) const { return GetItem(itemNo).StyleNo; }
    int GetItemPara(int itemNo) const { return GetItem(itemNo).ParaNo; }
    TRNItemOptions GetItemOptions(int itemNo) const { return GetItem(itemNo).ItemOptions; }
    const RNTag& GetItemTag(int itemNo) const { return GetItem(itemNo).Tag; }
    TRNCPInfo* GetItemCheckpoint(int itemNo) const { return GetItem(itemNo).Checkpoint.get(); }
    bool IsFromNewLine(int itemNo) const { return !GetItem(itemNo).GetSameAsPrev(); }
    bool IsParaStart(int itemNo) const;
    bool GetPageBreaksBeforeItems(int itemNo) const;
    void SetPageBreaksBeforeItems(int itemNo, bool value);
    int ItemLength(int itemNo) const;
    int GetOffsBeforeItem(int itemNo) const;
    int GetOffsAfterItem(int itemNo) const;

    // Typed access; an item of another kind raises ERichNoteError "Can't get or set this kind
    // of information for this item".
    void GetTextInfo(int itemNo, std::string& text, RNTag& tag) const;
    void GetBreakInfo(int itemNo, uint8_t& width, TRNBreakStyle& style, TColor& color,
                      RNTag& tag) const;
    void GetBulletInfo(int itemNo, std::string& name, int& imageIndex, const TImageList*& imageList,
                       RNTag& tag) const;
    void GetHotspotInfo(int itemNo, std::string& name, int& imageIndex, int& hotImageIndex,
                        const TImageList*& imageList, RNTag& tag) const;
    void GetPictureInfo(int itemNo, std::string& name, TGraphic*& graphic, TRNVAlign& vAlign,
                        RNTag& tag) const;
    void GetControlInfo(int itemNo, std::string& name, IEmbeddedControl*& control,
                        TRNVAlign& vAlign, RNTag& tag) const;
    void SetBreakInfo(int itemNo, uint8_t width, TRNBreakStyle style, TColor color,
                      const RNTag& tag);
    void SetBulletInfo(int itemNo, const std::string& name, int imageIndex, const RNTag& tag);
    void SetHotspotInfo(int itemNo, const std::string& name, int imageIndex, int hotImageIndex,
                        const RNTag& tag);
    // True when the item must be formatted again.
    bool SetControlInfo(int itemNo, const std::string& name, TRNVAlign vAlign, const RNTag& tag);
    // `graphic` null keeps the current picture.
    bool SetPictureInfo(int itemNo, const std::string& name, std::unique_ptr<TGraphic> graphic,
                        TRNVAlign vAlign, const RNTag& tag);
    void SetItemTag(int itemNo, const RNTag& tag);
    template <class T> T& CheckItemClass(int itemNo) const {
        auto* item = dynamic_cast<T*>(&GetItem(itemNo));
        if (!item) {
            ThrowWrongItemClass();
        }
        return *item;
    }
    int FindControlItemNo(const IEmbeddedControl* control) const;
    void SetParagraphStyleToAll(int paraNo);
    void NormalizeParas(int startItemNo);
    // Whether item `itemNo` is marked as continuing a paragraph across the full-width item (a
    // rule) before it. No paragraph runs past a rule: such an item starts a paragraph of its
    // own, and is read so from a saved note.
    bool ContinuesPastFullWidth(int itemNo) const;

    // Building; each appends. A paragraph number of -1 continues the previous paragraph.
    void AddItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item);
    void AddNLTag(std::string s, int styleNo, int paraNo, const RNTag& tag);
    void AddNL(std::string s, int styleNo, int paraNo) {
        AddNLTag(std::move(s), styleNo, paraNo, {});
    }
    // AddNL of a printf-style formatted text.
    void AddFmt(int styleNo, int paraNo, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // 8-bit text, converted for a Unicode style.
    void AddNLATag(std::string_view s, int styleNo, int paraNo, const RNTag& tag);
    // UTF-16 text, converted for an 8-bit style.
    void AddNLWTag(std::u16string_view ws, int styleNo, int paraNo, const RNTag& tag);
    // One item per line.
    void AddTextNL(std::string_view s, int styleNo, int firstParaNo, int otherParaNo);
    // One paragraph, its lines joined by line breaks.
    void AddTextBlockNL(std::string_view s, int styleNo, int paraNo);
    void AddBreakExTag(uint8_t width, TRNBreakStyle style, TColor color, const RNTag& tag);
    void AddBreakEx(uint8_t width, TRNBreakStyle style, TColor color) {
        AddBreakExTag(width, style, color, {});
    }
    void AddBreakTag(const RNTag& tag) { AddBreakExTag(1, TRNBreakStyle::rnbsLine, clNone, tag); }
    void AddBreak() { AddBreakTag({}); }
    void AddPictureExTag(const std::string& name, std::unique_ptr<TGraphic> graphic, int paraNo,
                         TRNVAlign vAlign, const RNTag& tag);
    void AddPictureEx(const std::string& name, std::unique_ptr<TGraphic> graphic, int paraNo,
                      TRNVAlign vAlign) {
        AddPictureExTag(name, std::move(graphic), paraNo, vAlign, {});
    }
    void AddBulletExTag(const std::string& name, int imageIndex, const TImageList* imageList,
                        int paraNo, const RNTag& tag);
    void AddBulletEx(const std::string& name, int imageIndex, const TImageList* imageList,
                     int paraNo) {
        AddBulletExTag(name, imageIndex, imageList, paraNo, {});
    }
    void AddHotspotExTag(const std::string& name, int imageIndex, int hotImageIndex,
                         const TImageList* imageList, int paraNo, const RNTag& tag);
    void AddHotspotEx(const std::string& name, int imageIndex, int hotImageIndex,
                      const TImageList* imageList, int paraNo) {
        AddHotspotExTag(name, imageIndex, hotImageIndex, imageList, paraNo, {});
    }
    void AddControlExTag(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                         int paraNo, TRNVAlign vAlign, const RNTag& tag);
    void AddControlEx(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                      int paraNo, TRNVAlign vAlign) {
        AddControlExTag(name, std::move(control), paraNo, vAlign, {});
    }
    void SetAddParagraphMode(bool allowNewPara) { AllowNewPara = allowNewPara; }
    bool AllowNewPara = true;
    // A checkpoint for the next added item; its number.
    int AddNamedCheckpointExTag(const std::string& name, bool raiseEvent, const RNTag& tag);
    int AddNamedCheckpointEx(const std::string& name, bool raiseEvent) {
        return AddNamedCheckpointExTag(name, raiseEvent, {});
    }

    // Checkpoints.
    TRNCPInfo* FirstCP = nullptr;
    TRNCPInfo* LastCP = nullptr;
    std::unique_ptr<TRNCPInfo> NotAddedCP;
    int CPCount = 0;
    void InsertCheckpoint(int itemNo, const RNTag& tag, const std::string& name, bool raiseEvent);
    void SetCheckpointInfo(int itemNo, const RNTag& tag, const std::string& name, bool raiseEvent);
    bool RemoveCheckpoint(int itemNo);
    TRNCPInfo* FindCheckpointByName(const std::string& name) const;
    TRNCPInfo* FindCheckpointByTag(const RNTag& tag) const;
    TRNCPInfo* GetCheckpointByNo(int no) const;
    TRNCPInfo* GetFirstCheckpoint() const;
    TRNCPInfo* GetNextCheckpoint(const TRNCPInfo* cp) const;
    int GetCheckpointItemNo(const TRNCPInfo* cp) const;
    int GetCheckpointNo(const TRNCPInfo* cp) const;
    void GetCheckpointInfo(const TRNCPInfo* cp, RNTag& tag, std::string& name,
                           bool& raiseEvent) const;
    TRNCPInfo* FindCPBeforeItem(int itemNo);
    void UpdateCPItemNo();
    void UpdateCPPos(TRNCPInfo* cp, int itemNo);
    void UnlinkCheckpoint(TRNCPInfo* cp, bool decCPCount);
    // Unlinks the item's checkpoint and frees it.
    void FreeCheckpoint(TCustomRNItemInfo& item, bool adjustLinks, bool decCPCount);
    // Attaches `cp` to `item` and links it at the end of the chain.
    void SetCP(TCustomRNItemInfo& item, std::unique_ptr<TRNCPInfo> cp);

    // Deleting.
    void FreeItem(int itemNo);
    virtual void InternalFreeItem(std::unique_ptr<TCustomRNItemInfo> item);
    virtual void DeleteItems(int firstItemNo, int count);
    void DeleteSection(const std::string& cpName);
    virtual void Clear();

    // Moving and sharing.
    // Uses the source's item list from now on, for a document whose ShareItems holds; Clear lets
    // go of it again.
    void ShareItemsFrom(TCustomRNData& source);
    // Copies every valid item of `source`; raises when the two differ in tag kind.
    void AppendFrom(const TCustomRNData& source);
    // Moves every item of `source` here and leaves it empty, also when an item fails to settle
    // in: that item is here all the same, and the first failure is raised once all went.
    void DrainFrom(TCustomRNData* source);
    void Inserted(TCustomRNData* rnData, bool flag);
    void StartExport();
    void EndExport();
    void StartPartialExport(int first, int last);
    void EndPartialExport(int first, int last);

    // RTF and HTML
    // The RTF import settings; a document without them cannot load RTF (rtf_ec_Assertion).
    virtual TRNRTFReaderProperties* GetRTFProperties();
    // Append RTF and join the neighbouring text items it brought.
    TRNRTFErrorCode LoadRTF(const std::string& fileName);
    TRNRTFErrorCode LoadRTFFromStream(TStream& stream);
    // At level 0 the tables are made here and the header and closing brace written; a table
    // cell (level 1 and deeper) writes with its table's tables and factor.
    bool SaveRTFToStream(TStream& stream, bool selectionOnly, int level, TColor color,
                         IRNBackground* background, TRNColorList* colorList,
                         TRNIntegerList* styleToFont, TRNIntegerList* fontTable,
                         double twipsPerPixel);
    // False when the file cannot be written; an old file stays as it was.
    bool SaveRTF(const std::string& fileName, bool selectionOnly, TColor color,
                 IRNBackground* background);
    void MakeRTFColorTable(TRNColorList& colorList, bool clear);
    // HTML, with FONT markup or with style classes; false with no style sheet. Both pack their
    // arguments into one export value and go through SaveHTMLExport, the one call a derived
    // document overrides to prepare for (and clean up after) any HTML export.
    bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                          const std::string& imagesPrefix, TRNSaveOptions options, TColor color,
                          int& imageSaveNo, int leftMargin, int topMargin, int rightMargin,
                          int bottomMargin, IRNBackground* background,
                          TRNList<TRNHTMLBulletInfo>* bullets);
    bool SaveHTMLToStreamEx(TStream& stream, const std::string& path, const std::string& title,
                            const std::string& imagesPrefix, const std::string& extraStyles,
                            const std::string& externalCSS, const std::string& cpPrefix,
                            TRNSaveOptions options, TColor color, TColor& currentColor,
                            int& imageSaveNo, int leftMargin, int topMargin, int rightMargin,
                            int bottomMargin, IRNBackground* background,
                            TRNList<TRNHTMLBulletInfo>* bullets);
    // Writes the export `exp` describes; its image counter and current colour come back in it.
    virtual bool SaveHTMLExport(TStream& stream, TRNHTMLExportOptions& exp);
    bool SaveHTML(const std::string& fileName, const std::string& title,
                  const std::string& imagesPrefix, TRNSaveOptions options, TColor color,
                  int& imageSaveNo, int leftMargin, int topMargin, int rightMargin,
                  int bottomMargin, IRNBackground* background);
    bool SaveHTMLEx(const std::string& fileName, const std::string& title,
                    const std::string& imagesPrefix, const std::string& extraStyles,
                    const std::string& externalCSS, const std::string& cpPrefix,
                    TRNSaveOptions options, TColor color, TColor& currentColor, int& imageSaveNo,
                    int leftMargin, int topMargin, int rightMargin, int bottomMargin,
                    IRNBackground* background);

    // Joining neighbouring text items.
    bool RN_CanConcateItems(int firstItemNo, const TCustomRNItemInfo* item1,
                            const TCustomRNItemInfo* item2, bool ignorePara) const;
    void SimpleConcate(int firstItemNo);
    void MassSimpleConcate(int firstItemNo, int lastItemNo);

    // Code pages, delimiters and text clean-up.
    unsigned GetStyleCodePage(int styleNo) const;
    unsigned GetDefaultCodePage() const;
    bool IsDelimiter(std::string_view s, int index, TRNItemOptions options) const;
    bool IsDelimiterA(char ch) const;
    bool IsDelimiterW(char16_t ch) const;
    std::string ReplaceTabs(std::string_view s, int styleNo, bool unicodeDef) const;
    static void Replace0(std::string& s);

    void ControlAction(TRNControlAction action, int itemNo, TCustomRNItemInfo& item);
    void UpdateItemsPaletteInfo();
    void Beep();
    // The first free "path + prefix + N + ext" after imageSaveNo (or, overriding, the first
    // that is not read-only).
    virtual std::string GetNextFileName(const std::string& imagesPrefix, const std::string& path,
                                        const std::string& ext, int& imageSaveNo,
                                        bool overrideImages);
    // Writes a picture for an export and returns its file name without the folder.
    virtual std::string SavePicture(TRNSaveFormat format, const std::string& imagesPrefix,
                                    const std::string& path, int& imageSaveNo, bool overrideImages,
                                    TColor currentFileColor, const TGraphic& graphic);

    // RNF and plain text
    // Writes the document, or the range RNFGetLimits gives for a selection, as RNF; `color`
    // and `background` fill the background record. False when something could not be written
    // (what was written stays in the stream).
    bool SaveRNFToStream(TStream& stream, bool selectionOnly, TColor color,
                         IRNBackground* background);
    bool SaveRNF(const std::string& fileName, bool selectionOnly, TColor color,
                 IRNBackground* background);
    // Empties the document and reads a note. A read never changes the bytes it reads; when it
    // answers false (RNFError says why, RNFWarnings what was converted), the items read so far
    // stay, and the caller must not save this document over the bytes it could not read.
    bool LoadRNFFromStream(TStream& stream, TColor& color, IRNBackground* background);
    // A file that cannot be opened raises EStreamError.
    bool LoadRNF(const std::string& fileName, TColor& color, IRNBackground* background);
    bool InsertRNFFromStream(TStream& stream, int index, TColor& color, IRNBackground* background,
                             bool allowReplaceStyles);
    bool AppendRNFFromStream(TStream& stream, int paraNo, TColor& color, IRNBackground* background);
    // The reader behind the four above. `paraNo` (-1: as the stream says) is the paragraph
    // style of the first item; style records replace the sheet's collections only with
    // `allowReplaceStyles`, else they are merged and the stream's style numbers mapped.
    // `result` says which items this read inserted, so that an editor can take them out again.
    bool InsertRNFFromStream_(TStream& stream, int index, int paraNo, bool allowReplaceStyles,
                              bool appendMode, bool editorCall, TColor& color,
                              IRNBackground* background, TRNFReadResult& result);
    // Inserts the first item of a read at `index` and moves `index` past it; false refuses
    // it, which ends the read as failed.
    virtual bool InsertFirstRNFItem(int& index, std::string text,
                                    std::unique_ptr<TCustomRNItemInfo> item, bool editorCall,
                                    bool& fullReformat);
    // The range to save: the whole document here; formatted documents give the selection.
    virtual void RNFGetLimits(bool selectionOnly, int& startItem, int& endItem, int& startOffs,
                              int& endOffs);
    // A document as a property of a stored form: a 32-bit little-endian length and RNF
    // without a background.
    bool DataWriter(TStream& stream);
    // The same with the root's settings looked up beforehand.
    bool DataWriter(TStream& stream, const TRNFSettings& settings);
    TRNFSettings RNFSettings();
    bool DataReader(TStream& stream);
    // The same from bytes in memory, which must stay unchanged until the read is over.
    bool DataReader(std::string_view data);
    bool DataReader(std::string_view data, const TRNFSettings& settings);
    // Why the last RNF read failed: the record, the line and what was wrong.
    std::string RNFError;

    // Plain text: one text item per line, 8-bit or UTF-16LE.
    bool LoadText(const std::string& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    // An odd number of bytes raises ERichNoteError before the document changes.
    bool LoadTextW(const std::string& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    void AddTextNLW(std::string_view text, int styleNo, int firstParaNo, int otherParaNo,
                    bool asSingleParagraph);
    // The document or the selection, paragraphs separated by CR LF, no byte-order mark.
    bool SaveTextToStream(const std::string& path, TStream& stream, int lineWidth,
                          bool selectionOnly, bool textOnly, bool unicode);
    bool SaveText(const std::string& fileName, int lineWidth, bool unicode);

protected:
    // Inline: every item access passes here.
    void CheckItemNo(int itemNo) const {
        if (itemNo < 0 || itemNo >= ItemCount()) {
            ThrowItemNoOutOfBounds();
        }
    }
    [[noreturn]] static void ThrowItemNoOutOfBounds();
    [[noreturn]] static void ThrowWrongItemClass();
    bool TagsArePChars() const { return GetOptions().Contains(TRNOption::rnoTagsArePChars); }

private:
    void CheckTagKinds(const TCustomRNData& source) const;
    bool WriteHTMLWithFonts(TStream& stream, TRNHTMLExportOptions& exp);
    bool WriteHTMLWithClasses(TStream& stream, TRNHTMLExportOptions& exp);
    void AppendMoved(std::string text, std::unique_ptr<TCustomRNItemInfo> item);

    // Held in place: a table builds thousands of cell documents, each with its own list.
    TRNItemList ownItems_;
    TRNItemList* items_;
};

// A document that is its own root and keeps the answers in fields: what model tools and
// tests use where no control stands behind the document. It holds the same settings value a
// control does; only the options, warnings, read modes and delimiters concern it.
class TRNPlainRootData : public TCustomRNData, public TRichNoteSettings {
public:
    TRNStyle* Style = nullptr;
    IControlParent* ParentControl = nullptr;

    TRNOptions GetOptions() const override { return Options; }
    void SetOptions(TRNOptions options) override { Options = options; }
    TRNFOptions GetRNFOptions() const override { return RNFOptions; }
    void SetRNFOptions(TRNFOptions options) override { RNFOptions = options; }
    TRNRTFOptions GetRTFOptions() const override { return RTFOptions; }
    void SetRTFOptions(TRNRTFOptions options) override { RTFOptions = options; }
    TRNFWarnings GetRNFWarnings() const override { return RNFWarnings; }
    void SetRNFWarnings(TRNFWarnings warnings) override { RNFWarnings = warnings; }
    TRNFReaderStyleMode GetRNFTextStylesReadMode() const override { return RNFTextStylesReadMode; }
    TRNFReaderStyleMode GetRNFParaStylesReadMode() const override { return RNFParaStylesReadMode; }
    TRNStyle* GetRNStyle() const override { return Style; }
    std::string GetDelimiters() const override { return Delimiters; }
    IControlParent* GetParentControl() const override { return ParentControl; }

    // RTF and HTML
    TRNRTFReaderProperties* RTFProperties = nullptr;
    TRNRTFReaderProperties* GetRTFProperties() override { return RTFProperties; }
};
