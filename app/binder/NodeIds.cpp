#include "app/binder/NodeIds.h"

#include "app/binder/PageInfo.h"
#include "app/binder/TextScan.h"
#include "platform/base/TreeNode.h"

#include <algorithm>

TPageInfo* FindRecordById(const TTreeNodes& tree, uint32_t id) {
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        TPageInfo* record = NodeRecord(node);
        if (record != nullptr && record->Id == id) {
            return record;
        }
    }
    return nullptr;
}

void FindTreeNodeById(const TTreeNodes& tree, uint32_t id, TTreeNode*& node) {
    for (TTreeNode* candidate = tree.GetFirstNode(); candidate != nullptr;
         candidate = candidate->GetNext()) {
        const TPageInfo* record = NodeRecord(candidate);
        if (record != nullptr && record->Id == id) {
            node = candidate;
        }
    }
}

void SelectNodeById(TTreeNodes& tree, uint32_t id) {
    for (TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        const TPageInfo* record = NodeRecord(node);
        if (record != nullptr && record->Id == id) {
            tree.SetSelected(node);
            return;
        }
    }
}

std::string MakeUniqueNodeName(const TTreeNodes& tree, const std::string& base) {
    const std::string numbered = base + "(";
    int32_t best = -1;
    for (const TTreeNode* node = tree.GetFirstNode(); node != nullptr; node = node->GetNext()) {
        const TPageInfo* record = NodeRecord(node);
        if (record == nullptr) {
            continue;
        }
        const std::string& title = record->Title;
        if (title == base || (title.compare(0, numbered.size(), numbered) == 0 &&
                              title.size() > numbered.size() && title.back() == ')')) {
            best = std::max(best, ParseTrailingCount(title));
        }
    }
    return best == -1 ? base : base + "(" + std::to_string(best + 1) + ")";
}
