#pragma once

// An editor opened over a document, such as a table cell's: the document knows it only through
// this, so the formatting layer needs no control. A viewer used as the editor shows a document
// of its own, and that document then answers for the copy, the selection and the jump
// positions.

class TCustomRNFormattedData;

class IRNInplaceEditor {
public:
    virtual ~IRNInplaceEditor() = default;
    // The document the editor shows, when it shows one.
    virtual TCustomRNFormattedData* InplaceDocument() { return nullptr; }
    // The editor this one lies on goes: an editor holding items of a document gives them back
    // first, or with `clearing` (the document goes too) drops them.
    virtual void CloseWithHolder(bool /*clearing*/) {}
};

// The document of an open editor that shows one; null without an editor.
inline TCustomRNFormattedData* InplaceDocumentOf(IRNInplaceEditor* editor) {
    return editor ? editor->InplaceDocument() : nullptr;
}
