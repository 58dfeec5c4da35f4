#include "controls/ShelfDD.h"
#include "DropEvents.h"

#include <gtest/gtest.h>

#include <QDrag>

namespace {

// A widget whose drops go to a target that logs what it is handed.
class RecordingTarget : public QWidget, public TShelfDropTarget {
public:
    RecordingTarget() { setAcceptDrops(true); }
    std::vector<std::string> log;

protected:
    void dragEnterEvent(QDragEnterEvent* e) override { DragEnter(*e); }
    void dragMoveEvent(QDragMoveEvent* e) override { DragOver(*e); }
    void dropEvent(QDropEvent* e) override { Drop(*e); }
    void DropText(TPoint, const std::string& text) override { log.push_back("text " + text); }
    void DropURL(TPoint, const std::string& url) override { log.push_back("url " + url); }
    void DropFiles(TPoint, const std::vector<std::string>& files) override {
        for (const std::string& f : files) {
            log.push_back("file " + f);
        }
    }
};

} // namespace

TEST(ShelfDropTarget, EffectsAndDeliveredKinds) {
    struct Case {
        const char* name;
        void (*fill)(QMimeData&);
        bool takeText;
        Qt::KeyboardModifiers modifiers;
        Qt::DropAction effect;
        std::vector<std::string> log;
    };
    const auto urlAndText = [](QMimeData& d) {
        d.setUrls({QUrl("https://example.org/a.htm")});
        d.setText("hello");
    };
    const auto text = [](QMimeData& d) { d.setText("hello"); };
    const auto files = [](QMimeData& d) { SetFiles(d, {"/tmp/1", "/tmp/2", "/tmp/3"}); };
    const auto mozUrl = [](QMimeData& d) {
        const QString v = "https://example.org/m\nTitle";
        d.setData("text/x-moz-url",
                  QByteArray(reinterpret_cast<const char*>(v.utf16()), v.size() * 2));
    };
    for (const Case& c : {
             Case{"url and text",
                  urlAndText,
                  true,
                  Qt::NoModifier,
                  Qt::LinkAction,
                  {"url https://example.org/a.htm", "text hello"}},
             Case{"text refused", text, false, Qt::NoModifier, Qt::IgnoreAction, {}},
             Case{"url, text not taken",
                  urlAndText,
                  false,
                  Qt::NoModifier,
                  Qt::LinkAction,
                  {"url https://example.org/a.htm"}},
             Case{"files with ctrl",
                  files,
                  true,
                  Qt::ControlModifier,
                  Qt::CopyAction,
                  {"file /tmp/1", "file /tmp/2", "file /tmp/3"}},
             Case{"files",
                  files,
                  true,
                  Qt::NoModifier,
                  Qt::MoveAction,
                  {"file /tmp/1", "file /tmp/2", "file /tmp/3"}},
             Case{"moz url",
                  mozUrl,
                  true,
                  Qt::NoModifier,
                  Qt::LinkAction,
                  {"url https://example.org/m"}},
         }) {
        RecordingTarget target;
        target.TakeText = c.takeText;
        QMimeData data;
        c.fill(data);
        DropAnswers answers = DragAndDrop(target, data, {5, 5}, c.modifiers);
        EXPECT_EQ(answers.enterAction, c.effect) << c.name;
        EXPECT_EQ(answers.enterAccepted, c.effect != Qt::IgnoreAction) << c.name;
        EXPECT_EQ(target.log, c.log) << c.name;
    }
}

TEST(ShelfDragSource, OffersTextAndAnswersACancel) {
    struct Case {
        bool colour;
        QStringList formats;
    };
    for (const Case& c : {Case{false, {"text/plain"}}, Case{true, {}}}) {
        QWidget source;
        // Nothing takes the drag here: it ends as a cancel.
        Qt::DropAction result = c.colour ? StartColDoDragDrop(&source, clRed, Qt::CopyAction)
                                         : StartTextDoDragDrop(&source, "dragged", Qt::CopyAction);
        EXPECT_EQ(result, Qt::IgnoreAction);
        auto* drag = source.findChild<QDrag*>();
        ASSERT_NE(drag, nullptr);
        EXPECT_EQ(drag->mimeData()->formats(), c.formats);
        if (!c.colour) {
            EXPECT_EQ(drag->mimeData()->text(), "dragged");
        }
    }
}
