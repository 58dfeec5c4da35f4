#pragma once

#include <memory>

// What a tree node carries: the node owns it and frees it with itself.
class TTreeNodeData {
public:
    virtual ~TTreeNodeData() = default;
};

// One node of the binder's tree, independent of any widget.
class TTreeNode {
public:
    TTreeNode() = default;
    explicit TTreeNode(std::unique_ptr<TTreeNodeData> data) : data_(std::move(data)) {}
    virtual ~TTreeNode() = default;
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeNodeData* Data() const { return data_.get(); }
    void SetData(std::unique_ptr<TTreeNodeData> data) { data_ = std::move(data); }
    std::unique_ptr<TTreeNodeData> ReleaseData() { return std::move(data_); }

private:
    std::unique_ptr<TTreeNodeData> data_;
};
