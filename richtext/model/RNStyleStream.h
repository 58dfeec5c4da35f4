#pragma once

// The style collections in the framework's component stream, as notes store them: a
// collection value (byte 14), per style a list of its stored properties that differ from
// their defaults, nested parts by dotted names ("Border.VisibleBorders.Left"). The reader
// takes identifiers or integers for colours, charsets and cursors, skips properties it does
// not know, and turns the obsolete "SingleSymbols" into protection.

#include "richtext/model/RNStyleInfos.h"

#include "platform/graphics/ComponentStream.h"

void RN_WriteTextStyles(TWriter& writer, const TFontInfos& styles);
void RN_WriteParaStyles(TWriter& writer, const TParaInfos& styles);

// Replace the collection's styles with those read. Malformed or truncated bytes raise
// ERichNoteError, saying what is wrong and where, and leave the collection as it was.
void RN_ReadTextStyles(TReader& reader, TFontInfos& styles);
void RN_ReadParaStyles(TReader& reader, TParaInfos& styles);
