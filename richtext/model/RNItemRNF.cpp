// How each item class writes its RNF record and reads it back, and how it stands in plain
// text. The document's reader and writer frame the records.

#include "platform/graphics/Graphic.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItem.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"

#include <algorithm>

namespace {

constexpr int SaveTypeNoBody = 1;
constexpr int SaveTypeBinary = 2;

bool HasOption(TCustomRNData& rnData, TRNFOption option) {
    return rnData.GetRNFOptions().Contains(option);
}

void AddWarning(TCustomRNData& rnData, TRNFWarning warning) {
    rnData.SetRNFWarnings(rnData.GetRNFWarnings().Include(warning));
}

// An image index outside the list: a warning, and index 0 where the options allow it.
bool CheckImageIndex(TCustomRNData& rnData, const TImageList* list, int32_t& index) {
    if (!list || (index >= 0 && index < list->Count())) {
        return true;
    }
    AddWarning(rnData, TRNFWarning::rnfwConvLargeImageIdx);
    if (!HasOption(rnData, TRNFOption::rnfoConvLargeImageIdxToZero)) {
        return false;
    }
    index = 0;
    return true;
}

// The header and the three lines of a picture or control record, or the name alone when its
// body is not saved.
template <class WriteBody>
void SaveBodyRecord(TStream& stream, TCustomRNData& rnData, const TCustomRNItemInfo& item,
                    int paraNo, const std::string& name, bool saveBody,
                    const std::string& className, WriteBody writeBody) {
    RNFCheckLine(name);
    if (!saveBody) {
        RNFSaveItemHeader(stream, rnData, item, 1, paraNo, SaveTypeNoBody);
        RNFWriteLine(stream, name);
        return;
    }
    bool binary = HasOption(rnData, TRNFOption::rnfoSaveBinary);
    RNFCheckLine(className);
    RNFSaveItemHeader(stream, rnData, item, 3, paraNo, binary ? SaveTypeBinary : 0);
    RNFWriteLine(stream, name);
    RNFWriteLine(stream, className);
    writeBody(binary);
}

// The lines of a picture or control record: its name, its class and its body; or, when the
// body was not saved, the name alone, and the document is asked for the object.
template <class Needed, class ReadClass, class ReadBody>
bool ReadBodyRecordLine(std::string_view line, int readType, int lineNo, std::string& name,
                        TRNFReadMode& readMode, TRNFReadState& readState, Needed needed,
                        ReadClass readClass, ReadBody readBody) {
    if (readType == SaveTypeNoBody) {
        if (lineNo == 0) {
            name = line;
            needed();
            readState = TRNFReadState::rstSkip;
        }
        return true;
    }
    switch (lineNo) {
    case 0:
        name = line;
        return true;
    case 1:
        if (readType == SaveTypeBinary) {
            readMode = TRNFReadMode::rmBeforeBinary;
        }
        return readClass(line);
    default:
        readState = TRNFReadState::rstSkip;
        return readBody(line, readType == SaveTypeBinary);
    }
}

} // namespace

// Breaks.

std::string TRNBreakItemInfo::SaveRNFHeaderTail(TCustomRNData&) const {
    return std::to_string(Color) + ' ' + std::to_string(static_cast<int>(Style)) + ' ' +
           std::to_string(LineWidth);
}

bool TRNBreakItemInfo::ReadRNFHeader(std::string_view& rest, TCustomRNData&) {
    if (rest.empty()) {
        Color = clNone;
        Style = TRNBreakStyle::rnbsLine;
        LineWidth = 1;
        return true;
    }
    int color = 0, style = 0, width = 0;
    if (!RNFReadInteger(rest, color) || !RNFReadInteger(rest, style) ||
        !RNFReadInteger(rest, width) || style < 0 || style > 2 || width < 0 || width > 255) {
        return false;
    }
    Color = color;
    Style = static_cast<TRNBreakStyle>(style);
    LineWidth = static_cast<uint8_t>(width);
    return true;
}

void TRNBreakItemInfo::SaveRNF(TStream& stream, TCustomRNData& rnData, int, int paraNo,
                               const std::string&) {
    RNFSaveItemHeader(stream, rnData, *this, 0, paraNo, 0);
}

std::string TRNBreakItemInfo::AsText(int lineWidth, TCustomRNData&, std::string_view,
                                     const std::string&, bool, bool) {
    return std::string(static_cast<size_t>(std::max(lineWidth, 1)), LineWidth <= 1 ? '-' : '=');
}

// Pictures and controls share the vertical alignment in their headers.

std::string TRNRectItemInfo::SaveRNFHeaderTail(TCustomRNData&) const {
    return std::to_string(static_cast<int>(VAlign));
}

bool TRNRectItemInfo::ReadRNFHeader(std::string_view& rest, TCustomRNData&) {
    int vAlign = 0;
    if (!rest.empty() && (!RNFReadInteger(rest, vAlign) || vAlign < 0 || vAlign > 1)) {
        return false;
    }
    VAlign = static_cast<TRNVAlign>(vAlign);
    return true;
}

void TRNGraphicItemInfo::SaveRNF(TStream& stream, TCustomRNData& rnData, int, int paraNo,
                                 const std::string& name) {
    bool body = HasOption(rnData, TRNFOption::rnfoSavePicturesBody) && Image;
    SaveBodyRecord(stream, rnData, *this, paraNo, name, body, body ? Image->ClassName() : "",
                   [&](bool binary) {
                       if (binary) {
                           RNFSavePictureBinary(stream, *Image);
                       } else {
                           RNFWriteLine(stream, RNFSavePicture(*Image));
                       }
                   });
}

bool TRNGraphicItemInfo::ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType,
                                     int lineNo, int, std::string& name, TRNFReadMode& readMode,
                                     TRNFReadState& readState) {
    return ReadBodyRecordLine(
        line, readType, lineNo, name, readMode, readState,
        [&] { Image = rnData.RNFPictureNeeded(name, Tag); },
        [&](std::string_view className) {
            Image = CreateGraphic(className);
            if (!Image) {
                AddWarning(rnData, TRNFWarning::rnfwUnknownPicFmt);
                return HasOption(rnData, TRNFOption::rnfoIgnoreUnknownPicFmt);
            }
            return true;
        },
        [&](std::string_view body, bool binary) {
            if (!Image) {
                return true;
            }
            const bool loaded =
                binary ? (RNFLoadPictureBinary(body, *Image), true) : RNFLoadPicture(body, *Image);
            GiveMetafileDefaultInch(*Image);
            return loaded;
        });
}

void TRNControlItemInfo::SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                                 const std::string& name) {
    bool body = HasOption(rnData, TRNFOption::rnfoSaveControlsBody) && Control;
    SaveBodyRecord(stream, rnData, *this, paraNo, name, body, body ? Control->ClassName() : "",
                   [&](bool binary) {
                       rnData.ControlAction(TRNControlAction::rncaBeforeRNFSave, itemNo, *this);
                       if (binary) {
                           RNFSaveControlBinary(stream, *Control);
                       } else {
                           RNFWriteLine(stream, RNFSaveControl(*Control));
                       }
                       rnData.ControlAction(TRNControlAction::rncaAfterRNFSave, itemNo, *this);
                   });
}

bool TRNControlItemInfo::ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType,
                                     int lineNo, int, std::string& name, TRNFReadMode& readMode,
                                     TRNFReadState& readState) {
    return ReadBodyRecordLine(
        line, readType, lineNo, name, readMode, readState,
        [&] {
            Control = rnData.RNFControlNeeded(name, Tag);
            if (Control) {
                Control->SetVisible(false);
                Control->SetParent(rnData.GetParentControl());
            }
        },
        [&](std::string_view className) {
            // The class is remembered by a control without a body until its stream arrives.
            Control =
                RNFLoadControlBytes(std::string(className), name, {}, rnData.GetParentControl());
            return true;
        },
        [&](std::string_view body, bool binary) {
            std::string bytes;
            bool decoded = true;
            if (binary) {
                bytes = body;
            } else {
                decoded = RNFTextString2Bytes(body, bytes);
            }
            Control = RNFLoadControlBytes(Control->ClassName(), name, std::move(bytes),
                                          rnData.GetParentControl());
            return decoded;
        });
}

std::string TRNControlItemInfo::AsText(int, TCustomRNData& rnData, std::string_view,
                                       const std::string& path, bool, bool) {
    return Control ? rnData.SaveComponentToFile(path, *Control, TRNSaveFormat::rnsfText)
                   : std::string();
}

// Bullets and hotspots: an image of an image list, the list named by its tag.

std::string TRNBulletItemInfo::SaveRNFHeaderTail(TCustomRNData&) const {
    return std::to_string(ImageList ? ImageList->Tag : 0) + ' ' + std::to_string(ImageIndex);
}

bool TRNBulletItemInfo::ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) {
    int listTag = 0, index = 0;
    if (!RNFReadInteger(rest, listTag) || !RNFReadInteger(rest, index)) {
        return false;
    }
    ImageList = rnData.RNFImageListNeeded(listTag);
    ImageIndex = index;
    return CheckImageIndex(rnData, ImageList, ImageIndex);
}

void TRNBulletItemInfo::SaveRNF(TStream& stream, TCustomRNData& rnData, int, int paraNo,
                                const std::string& name) {
    RNFCheckLine(name);
    RNFSaveItemHeader(stream, rnData, *this, 1, paraNo, 0);
    RNFWriteLine(stream, name);
}

bool TRNBulletItemInfo::ReadRNFLine(std::string_view line, TCustomRNData&, int, int lineNo, int,
                                    std::string& name, TRNFReadMode&, TRNFReadState& readState) {
    if (lineNo == 0) {
        name = line;
        readState = TRNFReadState::rstSkip;
    }
    return true;
}

std::string TRNHotspotItemInfo::SaveRNFHeaderTail(TCustomRNData& rnData) const {
    return TRNBulletItemInfo::SaveRNFHeaderTail(rnData) + ' ' + std::to_string(HotImageIndex);
}

bool TRNHotspotItemInfo::ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) {
    if (!TRNBulletItemInfo::ReadRNFHeader(rest, rnData)) {
        return false;
    }
    if (rest.empty()) {
        HotImageIndex = ImageIndex;
        return true;
    }
    int hot = 0;
    if (!RNFReadInteger(rest, hot)) {
        return false;
    }
    HotImageIndex = hot;
    return CheckImageIndex(rnData, ImageList, HotImageIndex);
}
