#pragma once

// Real controls inside documents: a widget behind the document model's control interface,
// and the window that holds such widgets.

#include "platform/graphics/EmbeddedControl.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <string>
#include <vector>

// The number a window keeps with a widget placed on it (a document keeps the control's y
// there), held by the widget itself so that its window can move it with its children.
int32_t WidgetTag(const QWidget& widget);
void SetWidgetTag(QWidget& widget, int32_t tag);
// Window coordinates are 16-bit on X11: a child is never placed beyond this.
constexpr int MaxChildCoordinate = 10000;

// A window that document controls are placed on.
class TWidgetControlParent : public IControlParent {
public:
    explicit TWidgetControlParent(QWidget* widget) : widget_(widget) {}
    QWidget* Widget() const { return widget_; }

private:
    QPointer<QWidget> widget_;
};

class TEmbeddedWidget : public IEmbeddedControl {
public:
    // Owns `widget`; `className` is the framework's name of its kind ("TButton").
    TEmbeddedWidget(std::unique_ptr<QWidget> widget, std::string className);
    ~TEmbeddedWidget() override;

    // Null once Qt has deleted the widget with a window it was left on.
    QWidget* Widget() const { return widget_; }

    std::string ClassName() const override { return className_; }
    std::string Name() const override;
    // The widget's "text" property where it has one (buttons, labels), else its title.
    std::string Caption() const override;
    TRect BoundsRect() const override;
    void SetBounds(int left, int top, int width, int height) override;
    int32_t Tag() const override;
    void SetTag(int32_t tag) override;
    bool Visible() const override;
    void SetVisible(bool visible) override;
    IControlParent* Parent() const override { return parent_; }
    // A parent that is not a widget window takes the widget off any window.
    void SetParent(IControlParent* parent) override;
    bool IsWindowed() const override { return true; }
    bool CanFocus() const override;
    void SetFocus() override;
    int ChildCount() const override;
    IEmbeddedControl* Child(int index) const override;
    void PaintTo(TCanvas& canvas, int x, int y) const override;
    // Push buttons, line edits, plain-text edits and frames have their kinds.
    TControlLook Look() const override;
    void PaintOwnTo(TCanvas& canvas, int x, int y) const override;

private:
    void Render(TCanvas& canvas, int x, int y, bool children) const;
    // A view of a child widget, which the parent widget owns.
    TEmbeddedWidget(QWidget* child, std::string className);

    QPointer<QWidget> widget_;
    bool owned_ = true;
    std::string className_;
    int32_t tag_ = 0;
    IControlParent* parent_ = nullptr;
    mutable std::vector<std::unique_ptr<TEmbeddedWidget>> children_;
};

// The document control of the widget `widget` belongs to (it or one of its parents, below
// `within`); null when it is none.
IEmbeddedControl* EmbeddedControlOf(const QWidget* widget, const QWidget* within = nullptr);
