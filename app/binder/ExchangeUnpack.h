#pragma once

// Writing the files of an exchange file into the store: staged in a folder of the program's
// own inside the store, put on the disk once, then moved into node folders that did not exist
// before, each made and marked by the program (StoreAccess). Nothing is written through a
// symbolic link, nothing lands outside the store, and no file that was there is replaced.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class StoreAccess;

// The files of one import are staged in a folder named this followed by eight hexadecimal
// digits, directly in the store; one left by an interrupted import is removed when the binder
// opens, as every folder of the program's that belongs to no node.
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

// Writes every file for each id that receives it, into node folders that must not exist yet.
// On failure `error` says why, and the staging folder and the node folders the call made are
// gone again.
bool UnpackFiles(const std::vector<SectionFile>& files, const IdTargets& targets,
                 const StoreAccess& store, std::string& error);
