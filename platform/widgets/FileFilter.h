#pragma once

// File dialog filters as the program writes them, "Description|*.a;*.b|Other|*.c", turned into
// the toolkit's form "Description (*.a *.b);;Other (*.c)". A description that already ends
// with its own "(...)" has it replaced by the real patterns, which the dialog reads from
// there; a trailing description without patterns matches every file.

#include <string>

std::string ConvertFileFilter(const std::string& filter);
