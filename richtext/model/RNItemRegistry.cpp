#include "richtext/model/RNItemRegistry.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"

#include <mutex>
#include <vector>

namespace {

struct TRichNoteItemTypeInfo {
    int StyleNo;
    std::type_index ItemClass;
    TRNItemFactory Create;
};

// Built on first use, so that classes may register from any static initialiser.
struct Registry {
    std::mutex Lock;
    std::vector<TRichNoteItemTypeInfo> Rows;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

constexpr const char* TakenMessage =
    "Can't register RichNote item type - this StyleNo is already registered";

} // namespace

void RegisterRichNoteItemClass(int styleNo, std::type_index itemClass, TRNItemFactory factory) {
    if (styleNo >= -9) {
        throw ERichNoteError(TakenMessage);
    }
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    for (const TRichNoteItemTypeInfo& row : registry.Rows) {
        if (row.StyleNo == styleNo) {
            if (row.ItemClass == itemClass) {
                return;
            }
            throw ERichNoteError(TakenMessage);
        }
    }
    registry.Rows.push_back({styleNo, itemClass, std::move(factory)});
}

int RegisteredRichNoteItemClassCount() {
    Registry& registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.Lock);
    return static_cast<int>(registry.Rows.size());
}

std::unique_ptr<TCustomRNItemInfo> CreateRichNoteItem(int styleNo, TCustomRNData* rnData) {
    std::unique_ptr<TCustomRNItemInfo> item;
    if (styleNo >= 0) {
        item = std::make_unique<TRNTextItemInfo>(rnData);
    } else {
        switch (styleNo) {
        case -1:
            item = std::make_unique<TRNBreakItemInfo>(rnData);
            break;
        case -3:
            item = std::make_unique<TRNGraphicItemInfo>(rnData);
            break;
        case -4:
            item = std::make_unique<TRNHotspotItemInfo>(rnData);
            break;
        case -5:
            item = std::make_unique<TRNControlItemInfo>(rnData);
            break;
        case -6:
            item = std::make_unique<TRNBulletItemInfo>(rnData);
            break;
        default: {
            Registry& registry = TheRegistry();
            TRNItemFactory factory;
            {
                std::lock_guard<std::mutex> guard(registry.Lock);
                for (const TRichNoteItemTypeInfo& row : registry.Rows) {
                    if (row.StyleNo == styleNo) {
                        factory = row.Create;
                        break;
                    }
                }
            }
            if (factory) {
                item = factory(rnData);
            }
        }
        }
    }
    if (item) {
        item->StyleNo = static_cast<int16_t>(styleNo);
    }
    return item;
}

std::unique_ptr<TCustomRNItemInfo> RN_DuplicateItem(const TCustomRNItemInfo& source,
                                                    TCustomRNData* rnData, bool tagsArePChars) {
    std::unique_ptr<TCustomRNItemInfo> item = source.CreateEmptyLike(rnData);
    item->Assign(source);
    if (source.Checkpoint) {
        item->Checkpoint = source.Checkpoint->CreateCopy(tagsArePChars);
        item->Checkpoint->ItemInfo = item.get();
    }
    item->Tag = RN_CopyTag(source.Tag, tagsArePChars);
    return item;
}
