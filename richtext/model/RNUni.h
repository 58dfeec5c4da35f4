#pragma once

// Character routines over item texts. A text item keeps either 8-bit characters in the code
// page of its style's charset or, with rnioUnicode, raw UTF-16LE bytes (two per character);
// these routines count characters from 1 in either form, convert between the two, and encode
// UTF-16 text for HTML.

#include "platform/graphics/Font.h"
#include "richtext/model/RNItemOptions.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class TCanvas;
class TFontInfo;
class TStream;

// Text is always measured and upper-cased as Unicode here.
constexpr bool RNU_UnicodePlatform = true;

// Raw UTF-16LE bytes and UTF-16 text; an odd trailing byte is dropped by RNU_BytesToU16.
std::u16string RNU_BytesToU16(std::string_view bytes);
std::string RNU_U16ToBytes(std::u16string_view text);

// Raises ERichNoteError "Can't perform Unicode operation" for an odd byte count.
void RNCheckUni(size_t byteLength);

// Positions count characters from 1. Copy, Delete and Insert clamp out-of-range positions
// and counts as the framework's string routines do; they never raise.
int RNU_Length(std::string_view s, TRNItemOptions options);
std::string RNU_Copy(std::string_view s, int index, int count, TRNItemOptions options);
void RNU_Delete(std::string& s, int index, int count, TRNItemOptions options);
void RNU_Insert(std::string_view source, std::string& s, int index, TRNItemOptions options);
int RNU_OffsInPChar(int offset, TRNItemOptions options);
bool RNU_IsSpace(std::string_view s, int index, TRNItemOptions options);
// The first of the first `length` units equal to `ch`, or null.
const char16_t* RNU_StrScanW(const char16_t* text, char16_t ch, size_t length);
// Swaps the bytes of `count` 16-bit words (big- and little-endian UTF-16).
void RNU_SwapWordBytes(char* buffer, size_t count);

// Measuring with the canvas's current font.
int RNU_TextWidth(std::string_view s, TCanvas& canvas, TRNItemOptions options);
// How many characters fit into `maxExtent` pixels; `dx`, when given, receives the width up to
// and including each character.
void RNU_GetTextExtentExPoint(TCanvas& canvas, std::string_view s, int maxExtent, int& fit,
                              std::vector<int>* dx, TRNItemOptions options);

// 8-bit text in `codePage` to raw UTF-16LE. An unusable page falls back to the system page;
// when that fails too, every byte becomes "?".
std::string RNU_AnsiToUnicode(unsigned codePage, std::string_view s);
// Raw UTF-16LE to 8-bit text in `codePage`; a character the page lacks becomes "?", and with
// no usable page every character does. Raises for an odd byte count.
std::string RNU_UnicodeToAnsi(unsigned codePage, std::string_view s);
// Key text arrives as UTF-16 already: its raw bytes.
std::string RNU_KeyToUnicode(std::u16string_view key);

unsigned RNU_Charset2CodePage(TFontCharset charset);
int RNU_Charset2Language(TFontCharset charset);

enum class TRNUnicodeTestResult { rnutNo, rnutYes, rnutProbably, rnutEmpty, rnutError };
// Whether a text file holds UTF-16: by its size, its byte-order mark or NUL bytes.
TRNUnicodeTestResult RN_TestFileUnicode(const std::string& fileName);

// Upper-cases an item text, keeping its length: 8-bit text in `codePage`, or raw UTF-16LE.
std::string RNU_UpperCase(std::string_view s, unsigned codePage, bool unicode);

// The text in capitals when its style is all caps, else as it is.
std::string RN_ReturnCapitalized(std::string_view s, const TFontInfo& textStyle);

// UTF-16 text (raw bytes) as HTML: "&#N;" from 128 up (one per code point; a lone surrogate
// is U+FFFD), the three markup characters escaped, runs of spaces alternating "&nbsp;" and
// plain spaces. With `noEmptyLines` an empty text gives "&nbsp;".
std::string RNU_GetHTMLEncodedUnicode(std::string_view s, bool noEmptyLines);
void RNU_WriteHTMLEncodedUnicode(TStream& stream, std::string_view s, bool noEmptyLines);
