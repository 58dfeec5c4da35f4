#pragma once

#include "platform/base/Exceptions.h"

// The one error class of the rich-text model, its formats and its controls.
class ERichNoteError : public Exception {
public:
    using Exception::Exception;
};
