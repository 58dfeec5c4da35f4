#pragma once

// Saving and reading notes in memory, documents that refuse or select, and a compact view of a
// document's items, shared by the format tests.

#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNRTFState.h"

#include <string>
#include <vector>

// A document whose selection the test sets.
class TSelectableDoc : public TRNPlainRootData {
public:
    // A selection: first item and offset, last item and offset.
    void RNFGetLimits(bool selectionOnly, int& startItem, int& endItem, int& startOffs,
                      int& endOffs) override {
        TRNPlainRootData::RNFGetLimits(selectionOnly, startItem, endItem, startOffs, endOffs);
        if (selectionOnly) {
            startItem = selection[0];
            startOffs = selection[1];
            endItem = selection[2];
            endOffs = selection[3];
        }
    }
    int selection[4] = {};
};

// A document that refuses whatever is inserted into it, as a protected paragraph does.
template <class Doc> class TRefusing : public Doc {
public:
    bool InsertFirstRNFItem(int&, std::string, std::unique_ptr<TCustomRNItemInfo>, bool,
                            bool&) override {
        return false;
    }
};

inline std::string SaveNote(TCustomRNData& data, bool* ok = nullptr) {
    TMemoryStream stream;
    bool saved = data.SaveRNFToStream(stream, false, clNone, nullptr);
    if (ok) {
        *ok = saved;
    }
    return stream.Bytes();
}

inline bool LoadNote(TCustomRNData& data, const std::string& bytes) {
    TMemoryStream stream;
    stream.WriteString(bytes);
    stream.SetPosition(0);
    TColor color = clNone;
    return data.LoadRNFFromStream(stream, color, nullptr);
}

// RTF read into the document (appended) and the document, or its selection, written as RTF.
inline TRNRTFErrorCode LoadRTFBytes(TCustomRNData& data, const std::string& rtf) {
    TMemoryStream stream;
    stream.WriteString(rtf);
    stream.SetPosition(0);
    return data.LoadRTFFromStream(stream);
}

inline std::string SaveRTFBytes(TCustomRNData& data, bool selectionOnly = false,
                                bool* ok = nullptr) {
    TMemoryStream stream;
    bool saved = data.SaveRTFToStream(stream, selectionOnly, 0, clWindow, nullptr, nullptr, nullptr,
                                      nullptr, 0);
    if (ok) {
        *ok = saved;
    }
    return stream.Bytes();
}

// One row per item: "style/para/options/tag/checkpoint:text", checkpoints as "[name]".
inline std::vector<std::string> ItemRows(const TCustomRNData& data) {
    std::vector<std::string> rows;
    for (int i = 0; i < data.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = data.GetItem(i);
        std::string row =
            std::to_string(item.StyleNo) + "/" + std::to_string(item.ParaNo) + "/" +
            std::to_string(item.ItemOptions.Bits()) + "/" +
            (item.Tag.IsString() ? item.Tag.AsString() : std::to_string(item.Tag.AsInt()));
        if (item.Checkpoint) {
            row += "[" + item.Checkpoint->Name + "]";
        }
        rows.push_back(row + ":" + data.GetItemText(i));
    }
    if (data.NotAddedCP) {
        rows.push_back("[" + data.NotAddedCP->Name + "]");
    }
    return rows;
}
