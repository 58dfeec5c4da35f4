#include "controls/ShelfBarDropTarget.h"

#include "controls/ShelfBar.h"

void TShelfBarDropTarget::DragMouseMove(TPoint at, bool& allow, TDropFormats formats) {
    TShelfDropTarget::DragMouseMove(at, allow, formats);
    allow = true;
}

void TShelfBarDropTarget::DropURL(TPoint at, const std::string& url) {
    bool defaultHandler = true;
    if (bar_.OnURLDrop) {
        bar_.OnURLDrop(bar_, url, defaultHandler);
    }
    TShelfPanel* panel = nullptr;
    if (defaultHandler && bar_.GetPanelAtXY(at.X, at.Y, panel)) {
        TShelfItem& item = panel->Items().Add();
        item.SetAutoIcon(true);
        item.SetCaption(url);
        item.SetURL(url);
    }
}

void TShelfBarDropTarget::DropFiles(TPoint at, const std::vector<std::string>& files) {
    TShelfDropTarget::DropFiles(at, files);
    for (const std::string& file : files) {
        bool defaultHandler = true;
        if (bar_.OnURLDrop) {
            bar_.OnURLDrop(bar_, file, defaultHandler);
        }
    }
}
