#pragma once

// Mouse buttons and shift states as the framework's handlers receive them, free of any window
// system so the document layer can take them; platform/widgets maps Qt's events onto them.

#include "platform/base/Set.h"

enum class TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
