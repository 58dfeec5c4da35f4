#pragma once

// A document as the bytes of its note (items, texts, pictures and both style collections), so
// that two documents compare as they would be stored.

#include "NotesSheet.h"

#include "platform/base/Stream.h"
#include "richtext/model/CRNData.h"

#include <string>

inline std::string DocumentBytes(TRNPlainRootData& doc) {
    doc.RNFOptions = NotesRNFOptions;
    TMemoryStream stream;
    doc.SaveRNFToStream(stream, false, clWindow, nullptr);
    return stream.Bytes();
}
