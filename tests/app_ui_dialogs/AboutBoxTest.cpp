// The About box: the binder's location starts on the line of its caption, short or wrapped.
#include "app/ui/dialogs/about.h"

#include "app/binder/BinderPaths.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

// The first row, in the coordinates of the label's parent, that holds a dark pixel of its text.
int FirstInkRow(QLabel& label) {
    QImage image(label.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (QColor(image.pixel(x, y)).lightness() < 128) {
                return label.y() + y;
            }
        }
    }
    return -1;
}

} // namespace

TEST(AboutBox, BinderLocationStartsOnItsCaptionsLine) {
    for (const std::string& root :
         {std::string("/tmp/work"),
          "/home/someone/a/rather/long/folder/name/that/has/to/wrap/in/the/box/" +
              std::string(60, 'x')}) {
        SCOPED_TRACE(root);
        BinderPaths paths;
        paths.BinderName = "default";
        paths.BinderRoot = root;
        TAboutBox box(nullptr, paths);
        box.show();
        QApplication::processEvents();
        auto* caption = box.findChild<QLabel*>("Label2");
        auto* location = box.findChild<QLabel*>("Label4");
        ASSERT_NE(caption, nullptr);
        ASSERT_NE(location, nullptr);
        ASSERT_EQ(location->text().toStdString(), root);
        const int captionTop = FirstInkRow(*caption);
        ASSERT_GE(captionTop, 0);
        EXPECT_NEAR(FirstInkRow(*location), captionTop, 2);
        // The name's row lines up the same way.
        EXPECT_NEAR(FirstInkRow(*box.findChild<QLabel*>("Label3")),
                    FirstInkRow(*box.findChild<QLabel*>("Label1")), 2);
    }
}
