#pragma once

// What the HTML export shares with its callers: its options and the text helpers of the
// FONT and CSS dialects.

#include "platform/base/Set.h"
#include "platform/graphics/Font.h"

#include <string>
#include <string_view>

class TStream;

enum class TRNSaveOption {
    rnsoOverrideImages,
    rnsoFirstOnly,
    rnsoMiddleOnly,
    rnsoLastOnly,
    rnsoDefault0Style
};
using TRNSaveOptions = TSet<TRNSaveOption>;

// The "&amp", "&gt", "&lt" and "&nbsp " forms (without semicolons) that pages written by this
// program have always had; with `fillEmpty` an empty text becomes "&nbsp;".
std::string RN_MakeHTMLStr(std::string_view s, bool fillEmpty);
// The charset name of a META line, or "" for charsets that need none.
std::string RN_CharSet2HTMLLang(TFontCharset charset);
// The text and CR LF, as every line of the exported pages and style sheets ends.
void RNWriteLn(TStream& stream, std::string_view text);
// Text for an attribute value or a title: "&", "<", ">" and the double quote as entities.
std::string RN_HTMLAttrEscape(std::string_view s);
