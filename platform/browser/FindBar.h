#pragma once

// The browser's find bar: a text field with next and previous buttons under the page.

#include <QWidget>

#include <functional>

class QLineEdit;

class TFindBar : public QWidget {
    Q_OBJECT
public:
    explicit TFindBar(QWidget* parent = nullptr);

    void Open();
    QLineEdit* Field() const { return field_; }

    // Asked to find the text (backward when set); an empty text clears the marks.
    std::function<void(const QString& text, bool backward)> OnFind;

private:
    QLineEdit* field_ = nullptr;
};
