#pragma once

// The notes editor's style sheet "rns": 12 text styles and 9 paragraph styles as the notes
// are written with them, hover colour red and checkpoint colour lime. Stored notes carry
// these tables, so the sheet is set up in one place only.

#include "richtext/model/RNStyle.h"

void SetUpNotesSheet(TRNStyle& sheet);
