#include "app/ui/dialogs/downloadmgr.h"

#include "app/binder/Task.h"
#include "platform/base/QtText.h"
#include "platform/base/StringUtils.h"
#include "platform/widgets/FormControls.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum Column { UrlColumn, PathColumn, StatusColumn };

// A waiting or set-aside file task is not the user's to see; pages are listed in every state.
bool Listed(const Task& task) {
    if (task.State == TaskCancelled) {
        return false;
    }
    const bool page = SameText(task.Kind, UnfinishedPageKind);
    return page || (task.State != TaskWaiting && task.State != TaskWrongType);
}

} // namespace

std::string TaskStateName(int32_t state) {
    return TaskStateText(state);
}

TForm8::TForm8(QWidget* owner, ITaskQueue& queue) : QDialog(owner), queue_(queue) {
    setObjectName("Form8");
    setWindowTitle("Download Manager");
    resize(568, 342);
    ListView1 = new QTreeWidget(this);
    ListView1->setRootIsDecorated(false);
    ListView1->setHeaderLabels({"URL", "Local Path", "Status"});
    ListView1->setColumnWidth(UrlColumn, 200);
    ListView1->setColumnWidth(PathColumn, 200);
    ListView1->setBackgroundRole(QPalette::Midlight);
    SpeedButton1 = new QPushButton("Delete ", this);
    SpeedButton1->setEnabled(false);
    SpeedButton2 = new QPushButton("OK", this);
    for (QPushButton* button : {SpeedButton1, SpeedButton2}) {
        button->setAutoDefault(false);
        button->setFlat(true);
    }
    connect(ListView1, &QTreeWidget::itemSelectionChanged, this, [this] { ListView1SelectItem(); });
    connect(ListView1, &QTreeWidget::itemClicked, this, [this] { ListView1Click(); });
    connect(SpeedButton1, &QPushButton::clicked, this, [this] { SpeedButton1Click(); });
    connect(SpeedButton2, &QPushButton::clicked, this, [this] { SpeedButton2Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(SpeedButton1);
    buttons->addWidget(SpeedButton2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ListView1, 1);
    layout->addLayout(buttons);
    NameControls(
        {{ListView1, "ListView1"}, {SpeedButton1, "SpeedButton1"}, {SpeedButton2, "SpeedButton2"}});
}

void TForm8::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

void TForm8::FormShow() {
    const std::vector<Task> tasks = queue_.ListTasks();
    ListView1->clear();
    for (const Task& task : tasks) {
        if (!Listed(task)) {
            continue;
        }
        // A task that could not download says why beside its state.
        const std::string status =
            TaskStateName(task.State) + (task.Failure.empty() ? "" : ": " + task.Failure);
        auto* row =
            new QTreeWidgetItem(ListView1, {ToQ(task.Url), ToQ(task.LocalPath), ToQ(status)});
        row->setToolTip(StatusColumn, ToQ(status));
        row->setData(UrlColumn, Qt::UserRole, QVariant::fromValue(task.NodeId));
    }
    SpeedButton1->setEnabled(false);
}

void TForm8::ListView1SelectItem() {
    // Only a task still waiting can be cancelled; any other row leaves "Delete " off.
    const QTreeWidgetItem* row = ListView1->currentItem();
    const bool pending = row != nullptr && row->isSelected() &&
                         row->text(StatusColumn).compare("pending", Qt::CaseInsensitive) == 0;
    SpeedButton1->setEnabled(pending);
}

void TForm8::ListView1Click() {
    if (ListView1->selectedItems().isEmpty()) {
        SpeedButton1->setEnabled(false);
    }
}

void TForm8::SpeedButton1Click() {
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (!selected.isEmpty()) {
        const QVariant id = selected.front()->data(UrlColumn, Qt::UserRole);
        delete selected.front();
        // A task that has left the queue since the list was made has nothing left to cancel.
        if (id.isValid()) {
            queue_.CancelTask(id.value<uint32_t>(), TaskCancelled);
        }
    }
    SpeedButton1->setEnabled(false);
}

void TForm8::SpeedButton2Click() {
    close();
}
