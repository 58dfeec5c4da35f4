#pragma once

// A rich-text control's options, layout geometry and formatting flags as one plain value:
// the control holds it, its root document reads and changes it (loading a note sets options
// and warnings), and a document without a control keeps one of its own.

#include "platform/base/Set.h"
#include "richtext/model/RNOptions.h"

#include <cstdint>
#include <string>
#include <string_view>

// The word delimiters a document uses when nothing else names them.
inline constexpr std::string_view RNDefaultDelimiters = " .;,:(){}\"/\\";

enum class TRNFlag : uint8_t {
    rnflUseJumps,             // formatting builds the hypertext areas
    rnflTrim,                 // the space at a line break is not drawn
    rnflShareContents,        // the items belong to another document
    rnflUseExternalLeading,   // a line's ascent includes the font's external leading
    rnflMouseXYAlwaysCorrect, // mouse positions need no correction
    rnflAllowCustomDrawItems  // items may make draw items of their own class
};
using TRNFlags = TSet<TRNFlag>;

enum class TCPEventKind : uint8_t { cpeNone, cpeAsSectionStart, cpeWhenVisible };

// Geometry is in screen pixels.
struct TRichNoteSettings {
    TRNOptions Options = RNDefaultOptions;
    TRNFOptions RNFOptions = RNFDefaultOptions;
    TRNRTFOptions RTFOptions = RNRTFDefaultOptions;
    TRNFWarnings RNFWarnings;
    TRNFReaderStyleMode RNFTextStylesReadMode = TRNFReaderStyleMode::rnf_sInsertMerge;
    TRNFReaderStyleMode RNFParaStylesReadMode = TRNFReaderStyleMode::rnf_sInsertMerge;
    TRNFlags Flags{TRNFlag::rnflUseJumps, TRNFlag::rnflTrim};
    int LeftMargin = 5;
    int RightMargin = 5;
    int TopMargin = 5;
    int BottomMargin = 5;
    int MinTextWidth = 0;
    int MaxTextWidth = 0;
    std::string Delimiters{RNDefaultDelimiters};
    int FirstJumpNo = 0;
    TCPEventKind CPEventKind = TCPEventKind::cpeNone;
};
