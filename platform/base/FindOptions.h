#pragma once

// The options of a find or replace dialog, in the framework's order.

#include "platform/base/Set.h"

enum class TFindOption {
    frDown,
    frFindNext,
    frHideMatchCase,
    frHideWholeWord,
    frHideUpDown,
    frMatchCase,
    frDisableMatchCase,
    frDisableUpDown,
    frDisableWholeWord,
    frReplace,
    frReplaceAll,
    frWholeWord,
    frShowHelp,
};
using TFindOptions = TSet<TFindOption>;
