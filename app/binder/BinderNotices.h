#pragma once

// What the binder document announces besides the changes of its nodes (ITreeNodesObserver):
// the cut and copy slots, a binder read or closed, a node it would not insert, a first change
// not written yet, and a save about to write. Whoever owns what follows from them listens: the
// commands enable themselves, the tree view forgets its multi-selection, the commands show the
// refusal, the window has the binder written soon and the note being typed written with it.
// Told on the main thread, after the change (before the save).

#include <string>

class IBinderTreeObserver {
public:
    virtual ~IBinderTreeObserver() = default;

    // A node went into the cut or the copy slot.
    virtual void SlotFilled() {}
    // A paste used the slots and emptied them.
    virtual void SlotsEmptied() {}
    // A binder's tree is about to be read into the emptied tree.
    virtual void BinderLoading() {}
    // A binder's tree was read far enough to be worked with; `binderName` as its binder file
    // writes it. Not told after a wrong marker or a bad record.
    virtual void BinderLoaded(const std::string& /*binderName*/) {}
    // The open binder was closed and its tree emptied.
    virtual void BinderClosed() {}
    // A new node was refused because the node it would go under is not a folder.
    virtual void NodeRefused() {}
    // The binder was marked changed after it had none but written changes: the first change
    // since the tree file was last written or read.
    virtual void BinderMarkedChanged() {}
    // The tree file is about to be written: what is changed but not yet in a record (a note
    // being typed) goes into it now, marking the binder changed.
    virtual void BinderSaving() {}
};
