// Copying the selection to the clipboard: RNF, text, picture, Unicode text and RTF. Every
// format is built first and the clipboard changes once, so a failure leaves what it held.

#include "richtext/view/CRNFData.h"

#include "platform/base/CodePage.h"
#include "platform/base/Stream.h"
#include "richtext/model/RNError.h"

#include <cstring>

namespace {

// The document of an open in-place editor that shows one: it answers for the copy.
TCustomRNFormattedData* InplaceViewer(const TCustomRNFormattedData& data) {
    return InplaceDocumentOf(data.GetInplaceEditor());
}

// One copy: collects the formats and publishes them when every writer succeeded.
template <class Build> void CopyOnce(IClipboardWriter* clipboard, Build build) {
    if (!clipboard) {
        return;
    }
    clipboard->Begin();
    try {
        build(*clipboard);
    } catch (const ERichNoteError&) {
        clipboard->Begin();
        throw;
    } catch (const std::exception& e) {
        clipboard->Begin();
        throw ERichNoteError(e.what());
    }
    clipboard->Publish();
}

} // namespace

std::unique_ptr<TRNPlainRootData> TCustomRNFormattedData::EmptyCopyDocument() const {
    auto doc = std::make_unique<TRNPlainRootData>();
    doc->Options = GetOptions();
    doc->RNFOptions = GetRNFOptions();
    doc->RTFOptions = GetRTFOptions();
    doc->Delimiters = GetDelimiters();
    doc->Style = GetRNStyle();
    return doc;
}

std::unique_ptr<TRNPlainRootData> TCustomRNFormattedData::SelectedInsideItem() {
    if (!SelectionInsideItem()) {
        return nullptr;
    }
    std::unique_ptr<TRNPlainRootData> doc = EmptyCopyDocument();
    std::unique_ptr<TCustomRNItemInfo> item = PartialSelectedItem->CopyPartiallySelected(*doc);
    if (!item) {
        return nullptr;
    }
    doc->AddItem("", std::move(item));
    return doc;
}

void TCustomRNFormattedData::CopyText_(IClipboardWriter& clipboard) {
    // The 8-bit text in the sheet's code page, the type a paste of 8-bit text reads, and the
    // Unicode text that every other program reads.
    if (SelectionExists(true, true)) {
        unsigned page = GetDefaultCodePage();
        if (page == CP_ACP) {
            page = SystemAnsiCodePage();
        }
        clipboard.SetFormat("text/plain;charset=windows-" + std::to_string(page),
                            GetSelText(false));
        clipboard.SetUnicodeText(GetSelText(true));
    }
}

void TCustomRNFormattedData::CopyTextW_(IClipboardWriter& clipboard) {
    if (SelectionExists(true, true)) {
        clipboard.SetUnicodeText(GetSelText(true));
    }
}

void TCustomRNFormattedData::CopyImage_(IClipboardWriter& clipboard) {
    if (TGraphic* picture = GetSelectedImage()) {
        clipboard.SetImage(*picture);
    }
}

void TCustomRNFormattedData::CopyRNF_(IClipboardWriter& clipboard, TColor color,
                                      IRNBackground* background) {
    TMemoryStream stream;
    const uint32_t zero = 0;
    stream.Write(&zero, 4);
    // Selected cells are written as a table of their own: the whole of a document that holds
    // only that table, without a background.
    const std::unique_ptr<TRNPlainRootData> inside = SelectedInsideItem();
    TCustomRNData& source = inside ? static_cast<TCustomRNData&>(*inside) : *this;
    if (!source.SaveRNFToStream(stream, !inside, color, inside ? nullptr : background)) {
        throw ERichNoteError("No memory");
    }
    std::string bytes = stream.Bytes();
    const uint32_t length = static_cast<uint32_t>(bytes.size() - 4);
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
    }
    clipboard.SetFormat(CF_RICHNOTE_MIME, std::move(bytes));
}

void TCustomRNFormattedData::CopyRTF_(IClipboardWriter& clipboard, TColor color,
                                      IRNBackground* background) {
    TMemoryStream stream;
    const std::unique_ptr<TRNPlainRootData> inside = SelectedInsideItem();
    TCustomRNData& source = inside ? static_cast<TCustomRNData&>(*inside) : *this;
    if (!source.SaveRTFToStream(stream, !inside, 0, color, background, nullptr, nullptr, nullptr,
                                0)) {
        throw ERichNoteError("No memory");
    }
    clipboard.SetFormat(CF_RTF_MIME, stream.Bytes());
}

void TCustomRNFormattedData::Copy(TColor color, IRNBackground* background) {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->Copy(color, background);
        return;
    }
    if (!SelectionExists(true, true)) {
        return;
    }
    CopyOnce(GetClipboard(), [&](IClipboardWriter& clipboard) {
        DoCopy();
        CopyRNF_(clipboard, color, background);
        CopyText_(clipboard);
        CopyImage_(clipboard);
        CopyTextW_(clipboard);
        CopyRTF_(clipboard, color, background);
    });
}

bool TCustomRNFormattedData::CopyDef(TColor color, IRNBackground* background) {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        return viewer->CopyDef(color, background);
    }
    const TRNOptions options = GetOptions();
    const bool text = options.Contains(TRNOption::rnoAutoCopyText);
    const bool rnf = options.Contains(TRNOption::rnoAutoCopyRNF);
    const bool unicode = options.Contains(TRNOption::rnoAutoCopyUnicodeText);
    const bool rtf = options.Contains(TRNOption::rnoAutoCopyRTF);
    const bool image = options.Contains(TRNOption::rnoAutoCopyImage);
    const bool result = text || rnf || unicode || rtf || image || IsAssignedCopy();
    if (result && SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& clipboard) {
            DoCopy();
            if (rnf) {
                CopyRNF_(clipboard, color, background);
            }
            if (text) {
                CopyText_(clipboard);
            }
            if (image) {
                CopyImage_(clipboard);
            }
            if (unicode) {
                CopyTextW_(clipboard);
            }
            if (rtf) {
                CopyRTF_(clipboard, color, background);
            }
        });
    }
    return result;
}

void TCustomRNFormattedData::CopyText() {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->CopyText();
    } else if (SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& c) { CopyText_(c); });
    }
}

void TCustomRNFormattedData::CopyTextW() {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->CopyTextW();
    } else if (SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& c) { CopyTextW_(c); });
    }
}

void TCustomRNFormattedData::CopyImage() {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->CopyImage();
    } else if (SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& c) { CopyImage_(c); });
    }
}

void TCustomRNFormattedData::CopyRNF(TColor color, IRNBackground* background) {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->CopyRNF(color, background);
    } else if (SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& c) { CopyRNF_(c, color, background); });
    }
}

void TCustomRNFormattedData::CopyRTF(TColor color, IRNBackground* background) {
    if (TCustomRNFormattedData* viewer = InplaceViewer(*this)) {
        viewer->CopyRTF(color, background);
    } else if (SelectionExists(true, true)) {
        CopyOnce(GetClipboard(), [&](IClipboardWriter& c) { CopyRTF_(c, color, background); });
    }
}
