#pragma once

// The side bar's drop target: a dropped URL becomes an item of the panel under the pointer
// (unless OnURLDrop keeps it out); dropped files are reported through OnURLDrop only.

#include "controls/ShelfDD.h"

class TShelfBar;

class TShelfBarDropTarget : public TShelfDropTarget {
public:
    explicit TShelfBarDropTarget(TShelfBar& bar) : bar_(bar) {}
    TShelfBar& Bar() const { return bar_; }

protected:
    void DragMouseMove(TPoint at, bool& allow, TDropFormats formats) override;
    void DropURL(TPoint at, const std::string& url) override;
    void DropFiles(TPoint at, const std::vector<std::string>& files) override;

private:
    TShelfBar& bar_;
};
