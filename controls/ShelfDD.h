#pragma once

// Drag and drop of the side bar: a drop target that sorts a drag into text, files and a URL,
// answers with an effect and hands each kind it takes to an overridable method; a reader of
// what a drag offers; and text drag sources.

#include "platform/base/Set.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"

#include <Qt>

#include <string>
#include <vector>

class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QWidget;

enum class TDropFormat { dfText, dfFile, dfURL };
using TDropFormats = TSet<TDropFormat>;

// What a drag offers: local files from text/uri-list; its first other URL, else the first
// line of text/x-moz-url; text/plain.
struct TDropData {
    TDropFormats Formats;
    std::string Text;
    std::string URL;
    std::vector<std::string> Files;
};
TDropData ReadDropData(const QMimeData& data);

// Copy with Ctrl held, else move.
Qt::DropAction StandardEffect(Qt::KeyboardModifiers modifiers);

class TShelfDropTarget {
public:
    virtual ~TShelfDropTarget() = default;

    bool TakeText = true;
    bool TakeFiles = true;
    bool TakeURL = true;
    // Set when a drag enters, used until it is dropped or leaves.
    bool Accepts() const { return accepts_; }
    TDropFormats Formats() const { return formats_; }

    // Fed by the widget's drag events; each sets the event's drop action and accepts or
    // ignores it.
    void DragEnter(QDragEnterEvent& event);
    void DragOver(QDragMoveEvent& event);
    void DragLeave();
    void Drop(QDropEvent& event);

protected:
    // Points are in the widget's coordinates.
    virtual void DropText(TPoint, const std::string&) {}
    virtual void DropURL(TPoint, const std::string&) {}
    virtual void DropFiles(TPoint, const std::vector<std::string>&) {}
    // Clearing `allow` refuses the drop at this point.
    virtual void DragMouseMove(TPoint, bool&, TDropFormats) {}
    virtual void DragMouseEnter() {}
    virtual void DragMouseLeave() {}

private:
    Qt::DropAction Effect(Qt::KeyboardModifiers modifiers) const;

    bool accepts_ = false;
    TDropFormats formats_;
};

// Drags `text` as text/plain from `source`; Qt::IgnoreAction when the drag is cancelled or
// ends where nothing takes it.
Qt::DropAction StartTextDoDragDrop(QWidget* source, const std::string& text,
                                   Qt::DropActions effects);
// A colour drag: it carries an empty text, so it offers nothing to read.
Qt::DropAction StartColDoDragDrop(QWidget* source, TColor color, Qt::DropActions effects);
