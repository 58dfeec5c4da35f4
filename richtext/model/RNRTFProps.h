#pragma once

// RTF import: the settings a rich-text control publishes for reading RTF, and the bridge that
// turns the reader's events into items and styles of a document.

#include "richtext/model/RNRTF.h"
#include "richtext/model/RNStyleParaInfo.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TCustomRNData;
class TCustomRNItemInfo;
class TRNStyle;
class TStream;

enum class TRNReaderUnicode { rnruMixed, rnruNoUnicode, rnruOnlyUnicode };
enum class TRNReaderStyleMode { rnrsUseSpecified, rnrsUseClosest, rnrsAddIfNeeded };

// One RTF border side as a paragraph border of this program.
struct TRNMappedBorder {
    TRNBorderStyle Style = TRNBorderStyle::rnbNone;
    int32_t Width = 0;
    int32_t InternalWidth = 0;
    TColor Color = clNone;
};
TRNMappedBorder RN_MapRTFBorderSide(const TRNRTFBorderSide* side, TRNRTFSide which,
                                    double pixelsPerTwip);

class TRNRTFReaderProperties {
public:
    TRNReaderUnicode UnicodeMode = TRNReaderUnicode::rnruNoUnicode;
    TRNReaderStyleMode TextStyleMode = TRNReaderStyleMode::rnrsUseClosest;
    TRNReaderStyleMode ParaStyleMode = TRNReaderStyleMode::rnrsUseClosest;
    bool IgnorePictures = false;
    bool UseHypertextStyles = false;

    int32_t GetTextStyleNo() const { return textStyleNo_; }
    int32_t GetParaStyleNo() const { return paraStyleNo_; }
    // Raise "Value must not be negative" below 0.
    void SetTextStyleNo(int32_t value);
    void SetParaStyleNo(int32_t value);
    void Assign(const TRNRTFReaderProperties& source);

    // Append the RTF to the document.
    TRNRTFErrorCode ReadFromFile(const std::string& fileName, TCustomRNData& rnData);
    TRNRTFErrorCode ReadFromStream(TStream& stream, TCustomRNData& rnData);
    // Inserts at `index` for an editor; `index` ends after the last inserted item.
    TRNRTFErrorCode InsertFromStreamEd(TStream& stream, TCustomRNData& rnData, int& index);

    // What the last import left.
    TRNRTFErrorCode ErrorCode = TRNRTFErrorCode::rtf_ec_OK;
    bool FailedBecauseOfProtect = false;
    bool FullReformat = false;
    int NonFirstItemsAdded = 0;
    double PixelsPerTwip = 96.0 / 1440.0;

    // Style choice for the reader's current run; public for the document's own tools.
    int FindBestStyleNo(const TRNRTFReader& reader, bool unicode) const;
    int FindStyleNo(const TRNRTFReader& reader, bool unicode) const;
    int AddStyle(const TRNRTFReader& reader, bool unicode);
    int FindBestParaNo(const TRNRTFReader& reader) const;
    int FindParaNo(const TRNRTFReader& reader, const TRNMappedBorder& border) const;
    int AddPara(const TRNRTFReader& reader, const TRNMappedBorder& border);
    TRNMappedBorder CurrentBorder(const TRNRTFReader& reader) const;

    void InitReader(TRNRTFReader& reader, TCustomRNData& rnData);

private:
    TRNRTFErrorCode Run(TCustomRNData& rnData, int index, bool editFlag,
                        const std::function<TRNRTFErrorCode(TRNRTFReader&)>& read);
    void NewReaderText(TRNRTFReader& reader, const std::string& text, TRNRTFPosition position);
    void NewReaderUnicodeText(TRNRTFReader& reader, const std::u16string& text,
                              TRNRTFPosition position);
    void NewReaderPicture(TRNRTFReader& reader, const TRNRTFPicture& picture,
                          std::unique_ptr<TGraphic> graphic, TRNRTFPosition position);
    void ReaderPageBreak() { pageBreak_ = true; }
    int ReturnStyleNo(const TRNRTFReader& reader, bool unicode);
    int ChooseStyleNo(const TRNRTFReader& reader, bool unicode);
    int ReturnParaNo(const TRNRTFReader& reader, TRNRTFPosition position);
    int ChooseParaNo(const TRNRTFReader& reader);
    void AddTextRun(TRNRTFReader& reader, const std::string& text, const std::u16string& utext,
                    bool sourceIsUnicode, TRNRTFPosition position);
    std::unique_ptr<TCustomRNItemInfo>
    CreateTextItem(const TRNRTFReader& reader, const std::string& text, const std::u16string& utext,
                   bool sourceIsUnicode, int paraNo, int styleNo, std::string& itemText);
    void InsertItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                    TRNRTFPosition position);
    int32_t ToPixels(int32_t twips) const;

    // The last choices: runs in a row mostly share their formatting.
    struct TextChoice {
        TRNRTFCharProperties CharProps;
        std::string FontName;
        int Charset = -1;
        bool Unicode = false;
        int StyleCount = -1;
        int StyleNo = 0;
    };
    std::vector<TextChoice> textChoices_;
    struct ParaChoice {
        TRNRTFParaProperties ParaProps;
        int StyleCount = -1;
        int ParaNo = 0;
    };
    std::vector<ParaChoice> paraChoices_;

    int32_t textStyleNo_ = 0;
    int32_t paraStyleNo_ = 0;

    TCustomRNData* rnData_ = nullptr;
    TRNStyle* style_ = nullptr;
    int index_ = 0;
    bool editFlag_ = false;
    bool pageBreak_ = false;
    bool firstItem_ = true;
};
