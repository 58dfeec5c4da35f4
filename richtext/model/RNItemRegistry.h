#pragma once

// The item classes by style number: the built-in ones, and those registered below -9 (the
// table registers -60).

#include "richtext/model/RNItem.h"

#include <functional>
#include <typeindex>

using TRNItemFactory = std::function<std::unique_ptr<TCustomRNItemInfo>(TCustomRNData*)>;

// Accepts the same class on the same number again; raises ERichNoteError for a number of
// -9 or above, or one already taken by another class.
void RegisterRichNoteItemClass(int styleNo, std::type_index itemClass, TRNItemFactory factory);
template <class T> void RegisterRichNoteItemClass(int styleNo) {
    RegisterRichNoteItemClass(styleNo, typeid(T), [](TCustomRNData* rnData) {
        return std::unique_ptr<TCustomRNItemInfo>(std::make_unique<T>(rnData));
    });
}
// The number of registered classes.
int RegisteredRichNoteItemClassCount();

// An empty item of the class for `styleNo`, with that StyleNo; null for an unknown number.
std::unique_ptr<TCustomRNItemInfo> CreateRichNoteItem(int styleNo, TCustomRNData* rnData);

// A copy of `source`: its fields, a copy of its checkpoint and of its tag.
std::unique_ptr<TCustomRNItemInfo> RN_DuplicateItem(const TCustomRNItemInfo& source,
                                                    TCustomRNData* rnData, bool tagsArePChars);
