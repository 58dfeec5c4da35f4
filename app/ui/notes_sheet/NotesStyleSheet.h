#pragma once

// The notes editor's style sheet "rns": 12 text styles and 9 paragraph styles as the notes
// are written with them, hover colour red and checkpoint colour lime. Stored notes carry
// these tables, so the sheet is set up in one place only.

#include "richtext/model/RNOptions.h"
#include "richtext/model/RNStyle.h"

void SetUpNotesSheet(TRNStyle& sheet);

// The document options of the notes editor: the defaults, with item tags kept as words, as
// stored notes carry them.
TRNOptions NotesDocumentOptions();

// What the notes editor writes into RNF: picture and control bodies, binary, text and paragraph
// styles.
TRNFOptions NotesRNFOptions();

// What the notes editor writes into RTF: its style sheet, and a stand-in byte after each
// Unicode character for readers without Unicode.
TRNRTFOptions NotesRTFOptions();

class TRNRTFReaderProperties;
// How the notes editor reads RTF (pasted, inserted from a file): every character is kept, text
// that an 8-bit style's code page cannot hold becoming text of the sheet's Unicode style.
void SetUpNotesRTFReader(TRNRTFReaderProperties& properties);
