#pragma once

// The "Change URL" dialog TDlgChgurl: a page's address to edit, with OK and Cancel.

#include <QDialog>

#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

class TDlgChgurl : public QDialog {
public:
    explicit TDlgChgurl(QWidget* owner);

    void SetUrl(const std::string& url);
    std::string Url() const;

private:
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QFrame* Bevel1;
    QLabel* Label1; // "New URL"
    QLineEdit* Edit1;
};
