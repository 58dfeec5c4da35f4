#pragma once

// The records of the open binder as the capture engine finds and adds them. The binder tree
// implements it; the engine sees nothing else of the tree. Main thread only.

#include <cstdint>
#include <memory>

class TPageInfo;

class ICaptureRecords {
public:
    virtual ~ICaptureRecords() = default;

    // The record with the id; null when no node carries one.
    virtual TPageInfo* FindRecord(uint32_t id) = 0;
    // True while `record` is a record of the tree and still has the id (a record freed and
    // another made at its address does not count). The pointer is only compared.
    virtual bool HoldsRecord(const TPageInfo* record, uint32_t id) const = 0;
    // Adds the page as the last node beside the record's node; false, with the page dropped,
    // when the record is no longer in the tree.
    virtual bool AddPageBeside(const TPageInfo& record, std::unique_ptr<TPageInfo> page) = 0;
    // The binder has changed since it was saved.
    virtual void MarkChanged() = 0;
    // The record's node shows its new state wherever it is shown.
    virtual void RecordChanged(const TPageInfo& record) = 0;
    // Writes the binder's changes to its tree file now, so that what a capture brought
    // survives a crash.
    virtual void SaveChanges() = 0;
};
