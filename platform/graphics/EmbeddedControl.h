#pragma once

// A control placed inside a document (a button, an edit box). Documents hold controls through
// this interface so that the document model needs no widget library: the widget layer
// implements it over a real window, and a control that cannot be built here is kept as an
// opaque control that remembers its stream and draws a frame in its place.

#include "platform/graphics/Font.h"
#include "platform/graphics/Types.h"

#include <cstdint>
#include <string>
#include <utility>

class TCanvas;

// Whatever window a control is placed on; the model only passes it along.
class IControlParent {
public:
    virtual ~IControlParent() = default;
};

// What a plain picture of a control (for printing) is drawn from.
enum class TControlKind { ckButton, ckEdit, ckMemo, ckPanel, ckOtherWindowed, ckNotWindowed };

struct TControlLook {
    TControlKind Kind = TControlKind::ckNotWindowed;
    // The caption of a button, the text an edit box shows (masked in password mode).
    std::u16string Text;
    // An edit box's or memo's single-line border, drawn sunken with the 3-D look.
    bool SingleBorder = false;
    bool Ctl3D = true;
    TColor Color = clWindow;
    TFont Font;
};

class IEmbeddedControl {
public:
    virtual ~IEmbeddedControl() = default;

    // The framework's class name and the component name, as stored documents give them.
    virtual std::string ClassName() const = 0;
    virtual std::string Name() const = 0;
    virtual std::string Caption() const = 0;

    virtual TRect BoundsRect() const = 0;
    virtual void SetBounds(int left, int top, int width, int height) = 0;
    int Left() const { return BoundsRect().Left; }
    int Top() const { return BoundsRect().Top; }
    int Width() const { return BoundsRect().Width(); }
    int Height() const { return BoundsRect().Height(); }
    void SetLeft(int left) { SetBounds(left, Top(), Width(), Height()); }
    void SetTop(int top) { SetBounds(Left(), top, Width(), Height()); }
    void SetWidth(int width) { SetBounds(Left(), Top(), width, Height()); }

    // A number the owner keeps with the control; documents keep the control's y there.
    virtual int32_t Tag() const = 0;
    virtual void SetTag(int32_t tag) = 0;
    virtual bool Visible() const = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual IControlParent* Parent() const = 0;
    virtual void SetParent(IControlParent* parent) = 0;

    // A control with a window of its own can take the keyboard focus.
    virtual bool IsWindowed() const = 0;
    virtual bool CanFocus() const = 0;
    virtual void SetFocus() = 0;

    virtual int ChildCount() const = 0;
    virtual IEmbeddedControl* Child(int index) const = 0;

    // Draws the control as it looks, its top-left corner at (x, y).
    virtual void PaintTo(TCanvas& canvas, int x, int y) const = 0;

    // The control's kind and looks; by default a control of no kind that a picture of it
    // shows by its own painting.
    virtual TControlLook Look() const;
    // The control's own painting without its children.
    virtual void PaintOwnTo(TCanvas& canvas, int x, int y) const { PaintTo(canvas, x, y); }
};

// A control known only by its stored form: it keeps its class, its name and its bytes to
// write them back. The component stream's name, bounds and caption (or text) give it its
// name, size and what it shows: a frame of its size with the caption, printed by its kind.
class TOpaqueControl : public IEmbeddedControl {
public:
    TOpaqueControl(std::string className, std::string name, std::string bytes);

    const std::string& Bytes() const { return bytes_; }

    std::string ClassName() const override { return className_; }
    std::string Name() const override { return name_; }
    // UTF-8.
    std::string Caption() const override { return caption_; }
    TRect BoundsRect() const override { return bounds_; }
    void SetBounds(int left, int top, int width, int height) override {
        bounds_ = Bounds(left, top, width, height);
    }
    int32_t Tag() const override { return tag_; }
    void SetTag(int32_t tag) override { tag_ = tag; }
    bool Visible() const override { return visible_; }
    void SetVisible(bool visible) override { visible_ = visible; }
    IControlParent* Parent() const override { return parent_; }
    void SetParent(IControlParent* parent) override { parent_ = parent; }
    bool IsWindowed() const override { return false; }
    bool CanFocus() const override { return false; }
    void SetFocus() override {}
    int ChildCount() const override { return 0; }
    IEmbeddedControl* Child(int) const override { return nullptr; }
    void PaintTo(TCanvas& canvas, int x, int y) const override;
    // The kind its class names: the framework's controls that have no window of their own
    // (labels, shapes, images) print blank, like the real ones.
    TControlLook Look() const override;

private:
    std::string className_;
    std::string name_;
    std::string bytes_;
    std::string caption_;
    // What an edit box or memo shows (its "Text" or "Lines").
    std::string text_;
    TRect bounds_;
    int32_t tag_ = 0;
    bool visible_ = true;
    IControlParent* parent_ = nullptr;
};

// A control as a component stream ("TPF0") of its published properties: class and name,
// Left, Top, Width, Height, and the caption (or an edit box's text, a memo's lines). This is
// how a live control is written into a stored note; TOpaqueControl reads it back.
std::string WriteControlComponent(const IEmbeddedControl& control);
