#pragma once

// Writing the files of an exchange file into the store: staged in a private folder inside the
// store, put on the disk once, then moved into their node folders. Nothing is written through
// a symbolic link and nothing lands outside the store.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The files of one import are staged in a folder named this followed by six letters or digits,
// directly in the store; one left by an interrupted import is removed when the binder opens.
inline constexpr const char* ImportStagingPrefix = ".import-";

// One file of the section: the node id its name starts with and the path after it.
struct SectionFile {
    uint32_t Id = 0;
    std::string Relative; // "/" separated plain segments, inside the node folder
    std::string_view Bytes;
};

// For each id named in the section, the ids of the node folders that receive its files.
using IdTargets = std::map<uint32_t, std::vector<uint32_t>>;

// The path of a section file in the folder of `id`. The page copy "<HEX>.htm" of a page whose id
// was replaced takes the new id's name: under its old name it would travel on as a resource.
std::string TargetRelative(const SectionFile& file, uint32_t id);

// Whether anything (a folder, a file, a link) stands at <store>/<HEX id>.
bool NodeFolderExists(const std::string& store, uint32_t id);

// True when no part of <store>/<HEX>/<relative> that exists is a symbolic link, the folders
// are folders and the file, when there is one, a plain file: the bytes then land where the
// name says and nowhere else.
bool TargetIsPlain(const std::string& store, uint32_t id, const std::string& relative);

// Writes every file for each id that receives it. On failure `error` says why, the staging
// folder and the node folders the call made are gone again.
bool UnpackFiles(const std::vector<SectionFile>& files, const IdTargets& targets,
                 const std::string& store, std::string& error);
