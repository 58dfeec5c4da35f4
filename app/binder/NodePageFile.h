#pragma once

// The page file of a captured node, <root>/<store>/<HEX>/<HEX>.htm: the copy of the page that
// is shown from the disk. Removing it makes the next showing write it afresh.

#include <cstdint>
#include <string>

std::string NodePageFilePath(const std::string& root, const std::string& store, uint32_t id);
// True when the file is gone afterwards (also when there was none).
bool RemoveNodePageFile(const std::string& root, const std::string& store, uint32_t id);
