#pragma once

// The binder file (".bdf"): seven "key=value" lines naming the binder, its folder, its store
// folder and its tree file, with a description, the creation date and the node count, then
// the "[Task]" section with one line per queued download task. Every blank of a value is
// stored as "%20", so each value is one word. The header lines end in CR LF; the task
// section is written as "count=N" LF CR "[Task]" LF CR and each task line followed by LF CR.
// Readers drop every CR and take lines of any length.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* TaskSectionHeader = "[Task]";
inline constexpr const char* NoDescription = "No Description";

// The values as the file holds them ("%20" kept) and the task lines of its "[Task]" section.
struct TBinderFileValues {
    std::string BinderName;
    std::string Root;
    std::string Store;
    std::string Save;
    std::string Description;
    std::string CreateDate;
    std::string Count;
    std::vector<std::string> TaskLines;
};

// What the binder list, the summaries and deleting read of a binder: every text with "%20"
// turned back into blanks, and the size of the tree file (0 when it is missing).
struct TBinderHeader {
    std::string Name;
    std::string Root;
    std::string Store;
    std::string Save;
    std::string Description;
    std::string CreateDate;
    std::string Count; // the node count as the file holds it
    uint64_t TreeFileSize = 0;
};

// Blanks as "%20", and back.
std::string EncodeBinderValue(std::string_view value);
std::string DecodeBinderValue(std::string_view value);

// The seven lines of a new binder: store "<name>store", save "<name>.sav", the description
// without its line breaks ("No Description" when that leaves nothing) and a count of 0.
std::string NewBinderFileText(const std::string& root, const std::string& name,
                              const std::string& description, const std::string& createDate);

// Reads the key lines (a key missing gives an empty value) and, when the line after the
// "count=" line begins with "[Task]", every non-empty line after it as a task line.
TBinderFileValues ParseBinderFile(std::string_view bytes);

// The folder that holds the binder file, links followed: the binder's folder, whatever its
// "root=" line says, so a binder folder moved, renamed or copied elsewhere still opens and no
// binder file reaches into another folder. Empty when the file is not there.
std::string BinderFolderOf(const std::string& binderFilePath);

// Reads the binder file's header, its root being BinderFolderOf the file; false when the file
// cannot be read.
bool ReadBinderHeader(const std::string& path, TBinderHeader& header);

// The file's text with everything from its "count=" line on replaced by the node count and
// the task section; lines are taken as ParseBinderFile takes them (ended by LF, every CR
// dropped), so the result reads back to exactly these tasks. A text without a "count=" line
// keeps all of it and gets one. A task line holding a line break is left out: it could not be
// read back as one task.
std::string WithTaskSection(std::string_view text, int nodeCount,
                            const std::vector<std::string>& taskLines);

// The file's text with its first "root=" line before the "count=" line naming `root` (one is
// put before the "count=" line when there is none); the other lines keep their bytes.
std::string WithRoot(std::string_view text, const std::string& root);

// Rewrites the binder file's tail as WithTaskSection does, and its "root=" line with the folder
// that holds it (WithRoot), as one atomic replacement. False
// when the file cannot be read (then nothing is written) or written (then `show` was told
// why and the old file stays).
bool WriteBinderTaskSection(const std::string& path, int nodeCount,
                            const std::vector<std::string>& taskLines,
                            const std::function<void(const std::string& text)>& show);

// True for a store or save value that names one entry directly inside the binder folder: not
// empty, not "." or "..", without "/" or "\".
bool IsPlainEntryName(std::string_view name);
