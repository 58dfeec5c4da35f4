#pragma once

// The binder's changed mark: set by every change of the tree or a record, cleared when the
// tree file is written or read. It reads and is assigned like a boolean; what it adds is a
// call when it goes from clear to set, so that whoever keeps the binder on disk hears of the
// first change not written yet (and not of every one after it).

#include <functional>
#include <utility>

class TChangedMark {
public:
    TChangedMark() = default;
    TChangedMark(const TChangedMark&) = delete;
    TChangedMark& operator=(const TChangedMark&) = delete;

    TChangedMark& operator=(bool changed) {
        const bool wasSet = changed_;
        changed_ = changed;
        if (changed && !wasSet && onSet_) {
            onSet_();
        }
        return *this;
    }
    operator bool() const { return changed_; }

    // Called each time the mark goes from clear to set, after it is set.
    void OnSet(std::function<void()> call) { onSet_ = std::move(call); }

private:
    bool changed_ = false;
    std::function<void()> onSet_;
};
