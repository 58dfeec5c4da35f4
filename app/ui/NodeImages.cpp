#include "app/ui/NodeImages.h"

#include "app/binder/PageInfo.h"
#include "platform/graphics/ImageList.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QStyle>

#include <map>

int NodeImageIndex(const TTreeNode* node, bool selected) {
    if (node == nullptr) {
        return -1;
    }
    if (node->HasChildren()) {
        return node->Expanded() ? ImageOpenParent : ImageClosedFolder;
    }
    switch (GetNodeKind(node)) {
    case NodeKind::Folder:
        return ImageClosedFolder;
    case NodeKind::WebPage:
        return selected ? ImagePageSelected : ImagePage;
    case NodeKind::Notes:
        return ImageNotes;
    case NodeKind::Link:
        return ImageLink;
    case NodeKind::None:
        break;
    }
    return -1;
}

void FillMainImages(TImageList& images) {
    images.SetSize(16, 16);
    const std::map<int, QStyle::StandardPixmap> pictures = {
        {ImageOnline, QStyle::SP_DriveNetIcon},
        {ImageOpenParent, QStyle::SP_DirOpenIcon},
        {ImageClosedFolder, QStyle::SP_DirClosedIcon},
        {ImagePage, QStyle::SP_FileIcon},
        {ImagePageSelected, QStyle::SP_FileDialogContentsView},
        {ImageLink, QStyle::SP_FileLinkIcon},
        {ImageNotes, QStyle::SP_FileDialogDetailedView},
        {ImageViewMark, QStyle::SP_DialogApplyButton},
    };
    QImage empty(16, 16, QImage::Format_ARGB32_Premultiplied);
    empty.fill(Qt::transparent);
    for (int index = 0; index < MainImageCount; ++index) {
        const auto picture = pictures.find(index);
        if (picture == pictures.end()) {
            images.AddImage(empty);
            continue;
        }
        const QIcon icon = QApplication::style()->standardIcon(picture->second);
        QImage image = icon.pixmap(16, 16).toImage();
        images.AddImage(image.isNull() ? empty : image);
    }
}
