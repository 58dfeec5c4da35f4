// How the item classes write themselves into HTML.
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ImageList.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"

#include <cstdio>

void TRNGraphicItemInfo::SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo,
                                    std::string_view, const std::string& path,
                                    const std::string& imagesPrefix, int& imageSaveNo,
                                    TColor currentFileColor, bool overrideImages, bool,
                                    TRNList<TRNHTMLBulletInfo>&) {
    std::string location;
    bool doDefault = true;
    rnData.HTMLSaveImage(rnData, itemNo, path, currentFileColor, location, doDefault);
    // A picture of no pixels makes no file (an empty one shows as a broken image).
    if (doDefault && Image && Image->Width() > 0 && Image->Height() > 0) {
        location = rnData.SavePicture(TRNSaveFormat::rnsfHTML, imagesPrefix, path, imageSaveNo,
                                      overrideImages, currentFileColor, *Image);
    }
    if (!location.empty()) {
        const char* align = VAlign == TRNVAlign::rnvaMiddle ? "middle" : "baseline";
        stream.WriteString(std::string("<IMG align=") + align + " src=\"" +
                           RN_HTMLAttrEscape(location) + "\">");
    }
}

void TRNBulletItemInfo::SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo,
                                   std::string_view, const std::string& path,
                                   const std::string& imagesPrefix, int& imageSaveNo,
                                   TColor currentFileColor, bool overrideImages, bool,
                                   TRNList<TRNHTMLBulletInfo>& bullets) {
    std::string location;
    bool doDefault = true;
    rnData.HTMLSaveImage(rnData, itemNo, path, currentFileColor, location, doDefault);
    int index = GetImageIndex(false);
    if (doDefault && ImageList) {
        for (int i = 0; i < bullets.Count() && location.empty(); ++i) {
            const TRNHTMLBulletInfo& info = *bullets[i];
            if (info.ImageList == ImageList && info.ImageIndex == index &&
                info.BackColor == currentFileColor) {
                location = info.FileName;
            }
        }
        if (location.empty()) {
            TBitmap bitmap(std::max(ImageList->Width(), 1), std::max(ImageList->Height(), 1));
            bitmap.Canvas().Brush().SetColor(currentFileColor);
            bitmap.Canvas().FillRect(Rect(0, 0, bitmap.Width(), bitmap.Height()));
            ImageList->Draw(bitmap.Canvas(), 0, 0, index);
            location = rnData.SavePicture(TRNSaveFormat::rnsfHTML, imagesPrefix, path, imageSaveNo,
                                          overrideImages, currentFileColor, bitmap);
            auto info = std::make_unique<TRNHTMLBulletInfo>();
            info->FileName = location;
            info->ImageList = ImageList;
            info->ImageIndex = index;
            info->BackColor = currentFileColor;
            bullets.Add(std::move(info));
        }
    }
    if (!location.empty()) {
        stream.WriteString("<IMG src=\"" + RN_HTMLAttrEscape(location) + "\">");
    }
}

void TRNControlItemInfo::SaveToHTML(TStream& stream, TCustomRNData& rnData, int, std::string_view,
                                    const std::string& path, const std::string&, int&, TColor, bool,
                                    bool, TRNList<TRNHTMLBulletInfo>&) {
    if (!Control) {
        return;
    }
    std::string s = rnData.SaveComponentToFile(path, *Control, TRNSaveFormat::rnsfHTML);
    if (!s.empty()) {
        stream.WriteString(s);
    }
}

void TRNBreakItemInfo::SaveToHTML(TStream& stream, TCustomRNData&, int, std::string_view,
                                  const std::string&, const std::string&, int&, TColor, bool,
                                  bool useCSS, TRNList<TRNHTMLBulletInfo>&) {
    char buffer[128];
    if (useCSS && Color != clNone) {
        std::snprintf(buffer, sizeof buffer, "<HR noshade size=%d style='{color : %s}'>", LineWidth,
                      RN_GetHTMLRGBStr(Color).c_str());
    } else {
        std::snprintf(buffer, sizeof buffer, "<HR noshade size=%d>", LineWidth);
    }
    stream.WriteString(buffer);
}
