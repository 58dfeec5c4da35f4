#pragma once

// The exchange file: the whole binder, or the subtree of the selected node, with the stored
// files of its web pages, in one field stream that another binder imports. Its fields are the
// marker "VelmorExport", the version "1.0", one tree-file subtree block per exported subtree,
// "treedata", and the file section: a nested field stream of (name, bytes) pairs, each name
// "<HEX id>\<path inside the node folder>".

#include "app/binder/StoreFiles.h"
#include "app/binder/WholeFiles.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TTreeNode;
class TTreeNodes;
struct BinderPaths;

inline constexpr const char* ExchangeMarker = "VelmorExport";
inline constexpr const char* ExchangeVersion = "1.0";
inline constexpr const char* ExchangeTreeEnd = "treedata";
inline constexpr const char* ExchangeFormatError = "File Format Error";

// The stored files of the web pages of a subtree, depth first in child order; a web page's
// own children are not walked. Empty for a null node.
StrVector CollectSubtreeFiles(const TTreeNode* node, const BinderPaths& paths);
// The same for every top-level node in order.
StrVector CollectBinderFiles(const TTreeNodes& tree, const BinderPaths& paths);

// The file section read into memory: the (name, bytes) fields, handed to a writer in pieces
// so the bytes of the files are never copied into one block.
class ResourceSection {
public:
    void Add(std::string name, std::unique_ptr<char[]> bytes, size_t size);
    // The length of the section's field stream.
    size_t Length() const { return length_; }
    // Hands the field stream to `write` piece by piece; false as soon as a piece is refused.
    bool WriteTo(const std::function<bool(const char* data, size_t size)>& write) const;
    size_t Skipped = 0; // files that could not be read

private:
    struct File {
        std::string Header; // the name field and the header of the bytes field
        std::unique_ptr<char[]> Bytes;
        size_t Size = 0;
    };
    std::vector<File> files_;
    size_t length_ = 0;
};

// The file section of the subtree of `node`, or of the whole binder when it is null. A file
// that cannot be read is left out and counted.
ResourceSection PackResourceFiles(const TTreeNodes& tree, const TTreeNode* node,
                                  const BinderPaths& paths);

// What writing an exchange file gives back: the write, and how many stored files could not be
// read and were left out.
struct ExchangeWritten {
    WriteResult Write;
    size_t Skipped = 0;
};

// Writes the exchange file of the subtree of `node`, or of the whole binder when it is null, at
// `path`. The file is replaced only once the new one is complete; a subtree that cannot be
// stored fails the write with "can not write file <path> (<reason>)".
ExchangeWritten WriteExchangeFile(const TTreeNodes& tree, const TTreeNode* node,
                                  const BinderPaths& paths, const std::string& path);
