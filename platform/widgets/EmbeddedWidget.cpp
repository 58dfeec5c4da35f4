#include "platform/widgets/EmbeddedWidget.h"

#include "platform/graphics/Canvas.h"
#include "platform/widgets/Control.h"

#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <QVariant>
#include <algorithm>

namespace {
constexpr char TagProperty[] = "tarnwickTag";
// The control object that stands for a widget in a document.
constexpr char ControlProperty[] = "tarnwickEmbeddedControl";

// A control with a client edge places its children in client coordinates.
QPoint ParentClientOrigin(const QWidget& widget) {
    auto* control = dynamic_cast<const TCustomControl*>(widget.parentWidget());
    return control ? control->ClientOrigin() : QPoint();
}
} // namespace

int32_t WidgetTag(const QWidget& widget) {
    return widget.property(TagProperty).toInt();
}

void SetWidgetTag(QWidget& widget, int32_t tag) {
    widget.setProperty(TagProperty, tag);
}

TEmbeddedWidget::TEmbeddedWidget(std::unique_ptr<QWidget> widget, std::string className)
    : widget_(widget.release()), className_(std::move(className)) {
    if (widget_) {
        widget_->setProperty(ControlProperty,
                             QVariant::fromValue(reinterpret_cast<quintptr>(this)));
    }
}

IEmbeddedControl* EmbeddedControlOf(const QWidget* widget, const QWidget* within) {
    for (const QWidget* w = widget; w && w != within; w = w->parentWidget()) {
        const QVariant control = w->property(ControlProperty);
        if (control.isValid()) {
            return reinterpret_cast<TEmbeddedWidget*>(control.value<quintptr>());
        }
    }
    return nullptr;
}

TEmbeddedWidget::TEmbeddedWidget(QWidget* child, std::string className)
    : widget_(child), owned_(false), className_(std::move(className)) {}

TEmbeddedWidget::~TEmbeddedWidget() {
    if (owned_ && widget_) {
        delete widget_.data();
    } else if (widget_) {
        widget_->setProperty(ControlProperty, QVariant());
    }
}

std::string TEmbeddedWidget::Name() const {
    return widget_ ? widget_->objectName().toStdString() : std::string();
}

std::string TEmbeddedWidget::Caption() const {
    if (!widget_) {
        return {};
    }
    QVariant text = widget_->property("text");
    return (text.isValid() ? text.toString() : widget_->windowTitle()).toStdString();
}

TRect TEmbeddedWidget::BoundsRect() const {
    if (!widget_) {
        return {};
    }
    QRect g = widget_->geometry().translated(-ParentClientOrigin(*widget_));
    return Bounds(g.x(), g.y(), g.width(), g.height());
}

void TEmbeddedWidget::SetBounds(int left, int top, int width, int height) {
    if (widget_) {
        const QPoint origin = ParentClientOrigin(*widget_);
        widget_->setGeometry(std::clamp(left, -MaxChildCoordinate, MaxChildCoordinate) + origin.x(),
                             std::clamp(top, -MaxChildCoordinate, MaxChildCoordinate) + origin.y(),
                             width, height);
    }
}

int32_t TEmbeddedWidget::Tag() const {
    return widget_ ? WidgetTag(*widget_) : tag_;
}

void TEmbeddedWidget::SetTag(int32_t tag) {
    tag_ = tag;
    if (widget_) {
        SetWidgetTag(*widget_, tag);
    }
}

bool TEmbeddedWidget::Visible() const {
    return widget_ && !widget_->isHidden();
}

void TEmbeddedWidget::SetVisible(bool visible) {
    if (widget_) {
        widget_->setVisible(visible);
    }
}

void TEmbeddedWidget::SetParent(IControlParent* parent) {
    parent_ = parent;
    if (!widget_) {
        return;
    }
    auto* window = dynamic_cast<TWidgetControlParent*>(parent);
    bool shown = !widget_->isHidden();
    widget_->setParent(window ? window->Widget() : nullptr);
    // Qt hides a widget that changes parents; the control keeps its own visibility.
    widget_->setVisible(shown && window && window->Widget());
}

bool TEmbeddedWidget::CanFocus() const {
    return widget_ && widget_->isEnabled() && widget_->focusPolicy() != Qt::NoFocus;
}

void TEmbeddedWidget::SetFocus() {
    if (widget_) {
        widget_->setFocus();
    }
}

int TEmbeddedWidget::ChildCount() const {
    if (!widget_) {
        return 0;
    }
    return static_cast<int>(
        widget_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly).size());
}

IEmbeddedControl* TEmbeddedWidget::Child(int index) const {
    if (!widget_) {
        return nullptr;
    }
    QList<QWidget*> children =
        widget_->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (index < 0 || index >= children.size()) {
        return nullptr;
    }
    QWidget* child = children[index];
    for (const auto& view : children_) {
        if (view->Widget() == child) {
            return view.get();
        }
    }
    children_.push_back(std::unique_ptr<TEmbeddedWidget>(
        new TEmbeddedWidget(child, child->metaObject()->className())));
    return children_.back().get();
}

void TEmbeddedWidget::PaintTo(TCanvas& canvas, int x, int y) const {
    Render(canvas, x, y, true);
}

void TEmbeddedWidget::PaintOwnTo(TCanvas& canvas, int x, int y) const {
    Render(canvas, x, y, false);
}

void TEmbeddedWidget::Render(TCanvas& canvas, int x, int y, bool children) const {
    if (!widget_ || widget_->width() <= 0 || widget_->height() <= 0) {
        return;
    }
    QImage image(widget_->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QWidget::RenderFlags flags = QWidget::DrawWindowBackground;
    if (children) {
        flags |= QWidget::DrawChildren;
    }
    widget_->render(&image, QPoint(), QRegion(), flags);
    canvas.DrawImage(Bounds(x, y, image.width(), image.height()), image,
                     Rect(0, 0, image.width(), image.height()));
}

namespace {

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size()));
}

TColor ToTColor(const QColor& color) {
    return RGB(color.red(), color.green(), color.blue());
}

TFont ToTFont(const QFont& qfont) {
    TFont font;
    font.SetName(qfont.family().toStdString());
    if (qfont.pixelSize() > 0) {
        font.SetHeight(-qfont.pixelSize());
    } else {
        font.SetSize(qRound(qfont.pointSizeF()));
    }
    TFontStyles style;
    if (qfont.bold()) {
        style.Include(TFontStyle::fsBold);
    }
    if (qfont.italic()) {
        style.Include(TFontStyle::fsItalic);
    }
    if (qfont.underline()) {
        style.Include(TFontStyle::fsUnderline);
    }
    font.SetStyle(style);
    return font;
}

} // namespace

TControlLook TEmbeddedWidget::Look() const {
    TControlLook look;
    if (!widget_) {
        return look;
    }
    look.Color = ToTColor(widget_->palette().color(widget_->backgroundRole()));
    look.Font = ToTFont(widget_->font());
    look.Font.SetColor(ToTColor(widget_->palette().color(widget_->foregroundRole())));
    if (auto* button = qobject_cast<QPushButton*>(widget_.data())) {
        look.Kind = TControlKind::ckButton;
        look.Text = ToU16(button->text());
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
        look.Kind = TControlKind::ckEdit;
        // What the box shows: a password stays masked on paper.
        look.Text = ToU16(edit->displayText());
        look.SingleBorder = edit->hasFrame();
        look.Color = ToTColor(edit->palette().color(QPalette::Base));
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data())) {
        look.Kind = TControlKind::ckMemo;
        look.Text = ToU16(memo->toPlainText());
        look.SingleBorder = memo->frameShape() != QFrame::NoFrame;
        look.Color = ToTColor(memo->palette().color(QPalette::Base));
    } else if (qobject_cast<QFrame*>(widget_.data())) {
        look.Kind = TControlKind::ckPanel;
    } else {
        look.Kind = TControlKind::ckOtherWindowed;
    }
    return look;
}
