// How the item classes write themselves into RTF.
#include "platform/base/Rounding.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/WmfRecord.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFPicture.h"
#include "richtext/model/RNRTFWriter.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Fmt(const char* format, int a, int b, int c = 0) {
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, format, a, b, c);
    return buffer;
}

// "\dibitmap0" and the bitmap without its file header.
void WriteBitmap(TStream& stream, const TBitmap& bitmap) {
    std::string bytes = bitmap.SaveToBytes();
    if (bytes.size() < 14 + 16) {
        return;
    }
    int32_t width = static_cast<int32_t>(ReadU32(bytes, 18));
    int bits = static_cast<int>(ReadU16(bytes, 28));
    int widthBytes = static_cast<int>((static_cast<int64_t>(std::abs(width)) * bits + 31) / 32 * 4);
    stream.WriteString(Fmt("\\dibitmap0\\wbmwidthbytes%d\\picw%d\\pich%d ", widthBytes,
                           bitmap.Width(), bitmap.Height()));
    WriteRTFHex(stream, std::string_view(bytes).substr(14));
}

// A record of two 16-bit parameters.
void AppendWmfRecord(std::string& out, uint16_t function, int first, int second) {
    WriteU32(out, 5);
    WriteU16(out, function);
    WriteU16(out, static_cast<uint32_t>(first) & 0xFFFF);
    WriteU16(out, static_cast<uint32_t>(second) & 0xFFFF);
}

// A Windows metafile as RTF holds it: without the placeable header, which RTF has no room for.
// Records that set no window are drawn over the frame the metafile was loaded with, which
// would go with the header: that frame goes in front of them as their window, so that a
// reader maps the same units onto the picture's size instead of hundredths of a millimetre.
std::string WmfForRtf(const TMetafile& metafile) {
    const std::string bytes = metafile.SaveToBytes();
    const size_t header = metafile.Placeable() ? static_cast<size_t>(metafile.HeaderSize()) : 0;
    std::string wmf = bytes.substr(std::min(header, bytes.size()));
    const TMetafileLayout& layout = metafile.Layout();
    const int64_t width = int64_t{layout.Right} - layout.Left;
    const int64_t height = int64_t{layout.Bottom} - layout.Top;
    const auto fits = [](int64_t v) { return v != 0 && v >= -32768 && v <= 32767; };
    if (layout.HasWindow || !layout.HasFrame || !fits(width) || !fits(height) ||
        wmf.size() < WmfHeaderSize) {
        return wmf;
    }
    std::string window;
    AppendWmfRecord(window, 0x020B, layout.Top, layout.Left);
    AppendWmfRecord(window, 0x020C, static_cast<int>(height), static_cast<int>(width));
    // The header counts the words of the whole metafile and those of its largest record.
    std::string head;
    WriteU16(head, ReadU16(wmf, 0));
    WriteU16(head, ReadU16(wmf, 2));
    WriteU16(head, ReadU16(wmf, 4));
    WriteU32(head, ReadU32(wmf, 6) + static_cast<uint32_t>(window.size() / 2));
    WriteU16(head, ReadU16(wmf, 10));
    WriteU32(head, std::max<uint32_t>(ReadU32(wmf, 12), 5));
    WriteU16(head, ReadU16(wmf, 16));
    return head + window + wmf.substr(WmfHeaderSize);
}

// A metafile goes as its own records, sized in hundredths of a millimetre: an enhanced one
// whole, a Windows one as WmfForRtf gives it. An enhanced metafile stays enhanced even where a
// Windows copy is asked for: there is nothing here to convert it, and readers of today take
// it as it is.
void WriteMetafile(TStream& stream, const TMetafile& metafile) {
    if (metafile.Enhanced()) {
        stream.WriteString(
            Fmt("\\emfblip\\picw%d\\pich%d ", metafile.MMWidth(), metafile.MMHeight()));
        WriteRTFHex(stream, metafile.SaveToBytes());
        return;
    }
    stream.WriteString(
        Fmt("\\wmetafile8\\picw%d\\pich%d ", metafile.MMWidth(), metafile.MMHeight()));
    WriteRTFHex(stream, WmfForRtf(metafile));
}

void WritePicture(TStream& stream, const TGraphic& graphic, TRNRTFOptions options) {
    if (const auto* bitmap = dynamic_cast<const TBitmap*>(&graphic)) {
        WriteBitmap(stream, *bitmap);
        return;
    }
    if (const auto* metafile = dynamic_cast<const TMetafile*>(&graphic)) {
        WriteMetafile(stream, *metafile);
        return;
    }
    if (dynamic_cast<const TJPEGImage*>(&graphic) &&
        options.Contains(TRNRTFOption::rnrtfSaveJpegAsJpeg)) {
        stream.WriteString(Fmt("\\jpegblip\\picw%d\\pich%d ", graphic.Width(), graphic.Height()));
        WriteRTFHex(stream, graphic.SaveToBytes());
        return;
    }
    // Any other picture goes as a bitmap of its pixels, which every reader shows.
    TBitmap bitmap;
    if (!bitmap.Assign(graphic)) {
        bitmap.SetSize(std::max(graphic.Width(), 1), std::max(graphic.Height(), 1));
        bitmap.Canvas().Draw(0, 0, graphic);
    }
    WriteBitmap(stream, bitmap);
}

} // namespace

void TRNGraphicItemInfo::SaveRTF(TStream& stream, TCustomRNData& rnData, int, const std::string&,
                                 double, int, TRNColorList&, TRNIntegerList*, TRNIntegerList*) {
    // A picture of no pixels writes nothing rather than a picture no reader takes.
    if (!Image || Image->Width() <= 0 || Image->Height() <= 0) {
        return;
    }
    stream.WriteString("{\\pict");
    WritePicture(stream, *Image, rnData.GetRTFOptions());
    stream.WriteString("}");
}

void TRNBulletItemInfo::SaveRTF(TStream& stream, TCustomRNData&, int, const std::string&, double,
                                int, TRNColorList&, TRNIntegerList*, TRNIntegerList*) {
    if (!ImageList) {
        return;
    }
    TBitmap bitmap(std::max(ImageList->Width(), 1), std::max(ImageList->Height(), 1));
    bitmap.Canvas().Brush().SetColor(clWindow);
    bitmap.Canvas().FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
    ImageList->Draw(bitmap.Canvas(), 0, 0, GetImageIndex(false));
    stream.WriteString("{\\pict");
    WriteBitmap(stream, bitmap);
    stream.WriteString("}");
}

void TRNControlItemInfo::SaveRTF(TStream& stream, TCustomRNData& rnData, int, const std::string&,
                                 double, int, TRNColorList&, TRNIntegerList*, TRNIntegerList*) {
    if (!Control) {
        return;
    }
    std::string s = rnData.SaveComponentToFile("", *Control, TRNSaveFormat::rnsfRTF);
    if (!s.empty()) {
        stream.WriteString(s);
    }
}

void TRNBreakItemInfo::SaveRTF(TStream& stream, TCustomRNData&, int, const std::string&,
                               double twipsPerPixel, int level, TRNColorList& colorList,
                               TRNIntegerList*, TRNIntegerList*) {
    const char* inTable = level >= 1 ? "\\intbl" : "";
    char buffer[192];
    std::snprintf(buffer, sizeof buffer,
                  "\\pard%s\\plain\\fs6\\brdrb\\brdrs\\brdrw%d\\brdrcf%d\\par\\pard%s", inTable,
                  RN_PixelsToTwips(LineWidth, twipsPerPixel), RN_RTFColorIndex(colorList, Color),
                  inTable);
    stream.WriteString(buffer);
}

void TRNBreakItemInfo::FillRTFColorTable(TRNColorList& colorList) {
    colorList.AddUnique(Color);
}
