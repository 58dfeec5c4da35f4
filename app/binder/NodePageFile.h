#pragma once

// The page file of a captured node, <root>/<store>/<HEX>/<HEX>.htm: the copy of the page that
// is shown from the disk. Removing it makes the next showing write it afresh. This is the one
// place that writes and removes it.

#include <cstdint>
#include <string>

std::string NodePageFilePath(const std::string& root, const std::string& store, uint32_t id);
// The page file's name inside its node folder: <HEX>.htm.
std::string NodePageFileName(uint32_t id);
// True when the file is gone afterwards (also when there was none); a page file in a node
// folder the program did not make stays (StoreAccess).
bool RemoveNodePageFile(const std::string& root, const std::string& store, uint32_t id);
// Writes the page text as the node's page file, its folder made (and marked) when missing and
// never written when the program did not make it; the path written, or empty when it could not
// be written (the old file then stays as it was, and `error`, when given, says why).
std::string WriteNodePageFile(const std::string& root, const std::string& store, uint32_t id,
                              const std::string& html, std::string* error = nullptr);
