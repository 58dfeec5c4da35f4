#pragma once

// A store laid out without the program's marks (a binder made before them, or by another
// program laying out <store>/<ID>/<ID>.htm and its resources) is taken over when the binder
// opens: the store and its page folders are marked, nothing else is written. Only a store that
// cannot be a folder of the user's is taken: directly in the binder's folder, no link, and
// every entry a folder named as a web page node of the tree that holds nothing but that node's
// page file and files its stored page names, or no entry at all. A folder a file task names is
// the user's to name: it is never taken. In a store that is the program's already, each page
// folder without a mark (one the program made before the marks) is taken by the same rule, and
// a folder whose mark a crash cut short (marks are not flushed on their own) is marked anew.

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// What the take-over reads from the tree: the stored page of every web page node, by id, and
// the names directly below the store that file tasks give.
struct StoreClaims {
    std::map<uint32_t, std::string_view> Pages;
    std::set<std::string> TaskFolders;
};

// The name directly below the store `storeName` that a file task's local path leads into ("\"
// read as "/"); empty when it names none.
std::string FileTaskFolderName(const std::string& localPath, const std::string& storeName);

// True when the file `relative` ("/"-separated, below the node folder) is named by the page:
// as a whole reference, in "/" or "\" form.
bool PageNamesFile(std::string_view page, std::string_view relative);

// Takes over the store `storeName` of the binder folder `binderFolder` as far as the rules
// above allow. True when the store is the program's afterwards.
bool TakeOverStore(const std::string& binderFolder, const std::string& storeName,
                   const StoreClaims& claims);
