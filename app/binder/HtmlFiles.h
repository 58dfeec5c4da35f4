#pragma once

// A node's page as files: the rewritten page text and the resources stored in its node
// folder.

#include <string>

class IUserMessages;
class TPageInfo;

// Writes the record's rewritten page text to `path`, then copies every file of the record's
// node folder (<root>/<store>/<HEX id>) into the folder of `path`, each under its path inside
// the node folder. A stored file that cannot be read is skipped. Folders are made as needed;
// a file that cannot be written is reported by the window. False when any write failed.
bool CopyNodeFiles(const TPageInfo& record, const std::string& root, const std::string& store,
                   const std::string& path, IUserMessages& ui);
