#pragma once

// The "Download Manager" TForm8: the open binder's download tasks as they stood when it was
// shown (cancelled ones and file tasks still waiting left out), and "Delete " to cancel a
// pending one. Each row keeps its task's node id as a plain value.

#include <QDialog>

#include <cstdint>
#include <string>

class ITaskQueue;
class QPushButton;
class QTreeWidget;

// The manager's word for a task state; an unknown state shows its number.
std::string TaskStateName(int32_t state);

class TForm8 : public QDialog {
public:
    TForm8(QWidget* owner, ITaskQueue& queue);

    void FormShow();
    void ListView1SelectItem();
    void ListView1Click();
    void SpeedButton1Click(); // "Delete "
    void SpeedButton2Click(); // "OK"

protected:
    void showEvent(QShowEvent* event) override;

private:
    ITaskQueue& queue_;
    QTreeWidget* ListView1;
    QPushButton* SpeedButton1;
    QPushButton* SpeedButton2;
};
