#pragma once

// The rich-text test programs run twice: as they are, and once more with item tags kept as
// words, as the notes editor keeps its notes (CTest sets TARNWICK_TEXT_TAGS=1 for that run).
// Documents and editors the fixtures make take the option through UseTextTagsIfAsked.

#include "richtext/model/RNOptions.h"

#include <cstdlib>

inline bool TextTagsRun() {
    const char* value = std::getenv("TARNWICK_TEXT_TAGS");
    return value && value[0] == '1';
}

template <class Settings> void UseTextTagsIfAsked(Settings& settings) {
    if (TextTagsRun()) {
        settings.Options.Include(TRNOption::rnoTagsArePChars);
    }
}

#include "richtext/model/RNClasses.h"

#include <string>

// A tag of the kind this run's documents keep: the number itself, or its digits as a word.
inline RNTag TestTag(int32_t number) {
    return TextTagsRun() ? RNTag::String(std::to_string(number)) : RNTag(number);
}

// A tag as text, whichever kind it is: "0" for no tag.
inline std::string TagText(const RNTag& tag) {
    if (tag.IsEmpty()) {
        return "0";
    }
    return tag.IsString() ? tag.AsString() : std::to_string(tag.AsInt());
}
