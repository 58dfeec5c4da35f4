#pragma once

// A store laid out without the program's marks (a binder made before them, or by another
// program laying out <store>/<ID>/...) is the program's only when the person says so: no rule
// on what the store holds can tell it from a folder of the user's, since the binder file and
// its tree, which would name what to expect, are anyone's to write. When the binder opens (and
// before New Binder replaces a binder), such a store directly in the binder's folder, no link,
// that holds folders named as web page nodes of the tree is surveyed, and one question names
// it; on Yes the store and those folders are marked, whatever files they hold. Nothing is
// written before the answer. A store a file task downloads into one of whose folders is never
// offered: that folder is the task's to name. In a store of the program's, a folder whose mark
// a crash cut short (marks are not flushed on their own) is marked anew.

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

// What the survey reads from the tree: the ids of its web page nodes, and the names directly
// below the store that file tasks download into (FileTaskFolderName).
struct StoreClaims {
    std::set<uint32_t> PageIds;
    std::set<std::string> TaskFolders;
};

// The claims of a binder in `binderFolder` whose store is `storeName`: its web page nodes
// ids, and the folders its task lines (those of file tasks) download into.
StoreClaims ClaimsOf(std::set<uint32_t> pageIds, const std::vector<std::string>& taskLines,
                     const std::string& binderFolder, const std::string& storeName);

// A store without marks as the person is asked about it: its path, the folders in it named as
// page nodes that hold no link at any depth, and every other entry.
struct StoreSurvey {
    std::string StorePath;
    std::vector<std::string> PageFolders;
    std::vector<std::string> OtherEntries;
};

// Asks the person about the survey; true for Yes.
using StoreQuestion = std::function<bool(const StoreSurvey& survey)>;

// The store `storeName` of the binder folder `binderFolder` when it is one to ask about: there,
// no link, without a mark of the program's (whole or cut short), holding at least one page
// folder, and no entry a file task names. Nothing otherwise; reads only.
std::optional<StoreSurvey> SurveyUnmarkedStore(const std::string& binderFolder,
                                               const std::string& storeName,
                                               const StoreClaims& claims);

// Marks the page folders of the survey that still hold no link, then the store. True when the
// store is the program's afterwards.
bool TakeOverStore(const std::string& binderFolder, const std::string& storeName,
                   const StoreSurvey& survey);

// In a store of the program's, marks anew the store and every folder in it whose mark a crash
// cut short; nothing else is touched, and a store without marks not at all.
void RenewCutShortMarks(const std::string& binderFolder, const std::string& storeName);

// The question put to the person for the survey: what the store holds and what Yes allows;
// `replacing` when New Binder is to remove the folders, else captures are to write there.
std::string TakeOverQuestion(const StoreSurvey& survey, bool replacing);
