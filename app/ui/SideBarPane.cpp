#include "app/ui/SideBarPane.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/NodeIds.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Search.h"
#include "app/binder/Settings.h"
#include "app/binder/commands/BinderUi.h"
#include "app/binder/commands/SearchPanel.h"
#include "app/capture/PageParser.h"
#include "app/ui/MainActions.h"
#include "app/ui/ShelfBarTqz.h"
#include "app/ui/ShellBox.h"
#include "app/ui/dialogs/LocationRules.h"
#include "app/ui/dialogs/OKRightDlg.h"
#include "app/ui/views/ViewsPane.h"
#include "platform/base/StringUtils.h"
#include "platform/widgets/Control.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QStyle>

namespace {

constexpr TColor ClosedCaptionText = RGB(0x40, 0x40, 0x40);

// The bar reads "&" in a caption as the mark of a shortcut letter; titles and file names show
// theirs as they are.
std::string LiteralCaption(std::string_view text) {
    return ReplaceAll(text, "&", "&&");
}

constexpr const char* BinderItemHint = "Right click mouse to select operation on the binder";

// ImageList4: pictures for the panels' items, the page at PageListImage.
void FillImageList4(TImageList& images) {
    images.SetSize(16, 16);
    const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_DirClosedIcon,     QStyle::SP_DirOpenIcon,        QStyle::SP_FileIcon,
        QStyle::SP_FileLinkIcon,      QStyle::SP_DriveHDIcon,        QStyle::SP_DriveNetIcon,
        QStyle::SP_DesktopIcon,       QStyle::SP_FileDialogInfoView, QStyle::SP_FileIcon,
        QStyle::SP_DialogApplyButton,
    };
    for (const QStyle::StandardPixmap picture : pictures) {
        QImage image = QApplication::style()->standardIcon(picture).pixmap(16, 16).toImage();
        if (image.isNull()) {
            image = QImage(16, 16, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
        }
        images.AddImage(image);
    }
}

// A binder: a closed book, its spine marked green for the open binder.
QImage BinderPicture(bool open) {
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(40, 50, 90), 1));
    painter.setBrush(QColor(70, 100, 170));
    painter.drawRoundedRect(QRectF(6.5, 3.5, 21, 26), 2, 2);
    painter.setBrush(open ? QColor(60, 170, 80) : QColor(150, 150, 160));
    painter.drawRect(QRectF(6.5, 3.5, 5, 26));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(240, 240, 230));
    painter.drawRect(QRectF(14, 9, 10, 6));
    return image;
}

// The tree panel's background: a faint paper grain.
QImage PanelTexture() {
    QImage image(32, 32, QImage::Format_RGB32);
    image.fill(QColor(250, 250, 246));
    for (int y = 0; y < 32; ++y) {
        for (int x = (y * 7) % 5; x < 32; x += 5) {
            image.setPixelColor(x, y, QColor(238, 238, 230));
        }
    }
    return image;
}

bool SameCaption(const TShelfPanel& panel, const char* caption) {
    return SameText(panel.Caption(), caption);
}

} // namespace

TSideBarPane::TSideBarPane(const TSideBarParts& parts, QObject* owner)
    : QObject(owner), parts_(parts), barAlive_(&parts.Bar) {
    FillImageList4(imageList4_);
    binderA_.SetImage(BinderPicture(false));
    binderB_.SetImage(BinderPicture(true));
    Design();
    BuildCommands();
    BindEvents();
}

TSideBarPane::~TSideBarPane() {
    // The bar usually goes first, with the panes; one that stays must not keep our pictures.
    if (barAlive_) {
        parts_.Bar.SetImages(nullptr);
    }
}

void TSideBarPane::Design() {
    TShelfBarTqz& bar = parts_.Bar;
    bar.SetFlat(true);
    bar.SetImages(&imageList4_);
    bar.ShellOpen = [](const std::string& url) { ShellOpen(url, ShellMessageBox()); };
    TShelfCaption& caption = bar.PanelCaption();
    caption.SetAlignment(TAlignment::taCenter);
    TFont font = caption.Font();
    font.SetName("MS Sans Serif");
    font.SetStyle({TFontStyle::fsBold});
    // Closed captions in dark grey on their light shade, the open one in black.
    font.SetColor(ClosedCaptionText);
    caption.SetFont(font);
    font.SetColor(clBlack);
    caption.SetActiveFont(font);
    caption.SetColor(clWindow);
    caption.SetButton(false);
    caption.SetOpenCloseGraphic(TOpenCloseGraphic::ocgNone);
    caption.SetShadeType(TShadeType::stHardBump);
    caption.SetShadeGrain(32);

    TShelfPanels& panels = bar.Panels();
    panels.Clear();
    TShelfPanel& tree = panels.Add();
    tree.SetTag(TreePanel);
    tree.SetCaption("Pages Explorer");
    tree.SetStyle(TPanelStyle::psLargeIcon);
    tree.SetBackground(TPanelBackground::pbTexture);
    tree.SetTexture(TBitmap(PanelTexture()));
    tree.SetHint("Organize Pages in Tree  Structure");
    tree.SetControl(&parts_.TreeView1);

    TShelfPanel& pages = panels.Add();
    pages.SetTag(PagesListPanel);
    pages.SetCaption(PagesListCaption);
    pages.SetStyle(TPanelStyle::psSmallIcon);
    pages.SetItemHeight(20);
    // Lists read as lists do elsewhere: dark text on the window's ground.
    pages.SetColor(clWindow);
    TFont bold = pages.Font();
    bold.SetStyle({TFontStyle::fsBold});
    pages.SetFont(bold);
    pages.SetHint("List Pages One by One");

    TShelfPanel& binders = panels.Add();
    binders.SetTag(BinderListPanel);
    binders.SetCaption("My Binders");
    binders.SetStyle(TPanelStyle::psLargeIcon);
    binders.SetItemHeight(48);
    binders.SetColor(clWindow);
    binders.SetEditBox(true);
    binders.SetHint("List of All the Binders You Created ,Right Click the mouse to show the "
                    "operatation menu of the binder");
    bar.SetTopPanel(TreePanel);
}

void TSideBarPane::BuildCommands() {
    QWidget& window = *parts_.Bar.window();
    search_ = new QAction("Search", &window);
    search_->setObjectName("Search");
    search_->setShortcut(QKeySequence("Ctrl+S"));
    clearSearch_ = new QAction("Clear Search Result", &window);
    clearSearch_->setObjectName("ClearSearch");
    clearSearch_->setShortcut(QKeySequence("Ctrl+Alt+C"));
    clearSearch_->setEnabled(false);
    window.addAction(search_);
    window.addAction(clearSearch_);
    connect(search_, &QAction::triggered, this,
            [this] { GuardEvent([this] { SearchExecute(); }); });
    connect(clearSearch_, &QAction::triggered, this,
            [this] { GuardEvent([this] { ClearSearchExecute(); }); });

    popupMenu6_ = new QMenu(&window);
    popupMenu6_->setObjectName("PopupMenu6");
    QAction* newBinder = popupMenu6_->addAction("New Binder");
    connect(newBinder, &QAction::triggered, parts_.Actions.Action(TMainAction::FileNewBinder),
            &QAction::trigger);
    popupMenu6_->addSeparator();
    openBinder1_ = popupMenu6_->addAction("Open This Binder");
    openBinder1_->setObjectName("OpenBinder1");
    openBinder1_->setShortcut(QKeySequence("Ctrl+O"));
    openBinder1_->setToolTip("Open a binder");
    openBinder1_->setStatusTip("Open a existing binder from local disk");
    connect(openBinder1_, &QAction::triggered, this,
            [this] { GuardEvent([this] { OpenBinder1Click(); }); });
    deleteBinder1_ = popupMenu6_->addAction("&Delete This Binder");
    deleteBinder1_->setObjectName("DeleteBinder1");
    connect(deleteBinder1_, &QAction::triggered, parts_.Actions.Action(TMainAction::EditDelete1),
            &QAction::trigger);
}

void TSideBarPane::BindEvents() {
    TShelfBarTqz& bar = parts_.Bar;
    bar.OnPanelOpen = [this](TShelfBar&, TShelfPanel* panel) { ShelfBar1PanelOpen(panel); };
    bar.OnItemClick = [this](TShelfBar&, TShelfPanel* panel, TShelfItem* item) {
        ShelfBar1ItemClick(panel, item);
    };
    bar.OnItemDblClicked = [this](TShelfBar&, TShelfPanel* panel, TShelfItem* item) {
        ShelfBar1ItemDblClicked(panel, item);
    };
    bar.OnMouseUp = [this](TMouseButton button, TShiftState, int x, int y) {
        ShelfBar1MouseUp(button == TMouseButton::mbRight, x, y);
    };
}

// ---- panels -------------------------------------------------------------------------------------

int TSideBarPane::TopPanel() const {
    return parts_.Bar.TopPanel();
}

void TSideBarPane::OpenPanel(int index) {
    if (index >= 0 && index < parts_.Bar.Panels().Count()) {
        parts_.Bar.SetTopPanel(index);
        RefillPanel(index);
    }
}

void TSideBarPane::RefillPanel(int index) {
    if (index >= 0 && index < parts_.Bar.Panels().Count()) {
        ShelfBar1PanelOpen(&parts_.Bar.Panels()[index]);
    }
}

void TSideBarPane::EnableTreeCommands(bool binderOpen, bool newNodes) {
    TMainActions& actions = parts_.Actions;
    for (const TMainAction command : {TMainAction::ExpandTree, TMainAction::CollapseTree,
                                      TMainAction::FileAppendFolder, TMainAction::FileAppendNode}) {
        actions.Action(command)->setEnabled(binderOpen);
    }
    for (const TMainAction command : {TMainAction::FileNewFolder, TMainAction::FileNewNode}) {
        actions.Action(command)->setEnabled(newNodes);
    }
    for (const TMainAction command : {TMainAction::EditCut1, TMainAction::EditDelete1,
                                      TMainAction::EditPaste1, TMainAction::EditCopy1}) {
        actions.Action(command)->setEnabled(false);
    }
}

void TSideBarPane::FollowSelectedNode() {
    // The tree shows its selection again, so the node commands are those of the selected node,
    // as after a click on it, and Paste is on while a node waits to be pasted. Add Item opens
    // this panel once its node is in and selected: the commands were left off until the tree
    // was clicked.
    TMainActions& actions = parts_.Actions;
    const bool selected = parts_.Binder.Selected() != nullptr;
    for (const TMainAction command :
         {TMainAction::EditCut1, TMainAction::EditCopy1, TMainAction::EditDelete1}) {
        actions.Action(command)->setEnabled(selected);
    }
    actions.Action(TMainAction::EditPaste1)
        ->setEnabled(parts_.Binder.CutNode() != nullptr || parts_.Binder.CopiedNode() != nullptr);
}

void TSideBarPane::ShelfBar1PanelOpen(TShelfPanel* panel) {
    if (panel == nullptr) {
        return;
    }
    switch (panel->Tag()) {
    case TreePanel:
        EnableTreeCommands(!parts_.Paths.BinderFilePath.empty(), true);
        FollowSelectedNode();
        break;
    case PagesListPanel:
        // Search results stay until the search is cleared.
        if (SameCaption(*panel, SearchResultCaption)) {
            return;
        }
        EnableTreeCommands(false, false);
        panel->Items().Clear();
        RunSearch(*this, parts_.Binder.Items(), parts_.Settings.ListMode);
        break;
    case BinderListPanel:
        EnableTreeCommands(false, false);
        parts_.Actions.Action(TMainAction::EditDelete1)->setEnabled(true);
        FillBinderPanel(panel->Items());
        if (panel->Items().Count() == 0) {
            parts_.Actions.Action(TMainAction::EditDelete1)->setEnabled(false);
            parts_.Views.ClearSummary();
        }
        break;
    default:
        break;
    }
}

void TSideBarPane::FillBinderPanel(TShelfItems& items) {
    items.Clear();
    for (const std::string& path : ReadBinderList(parts_.Store)) {
        TShelfItem& item = items.Add();
        item.SetTextValue(path);
        item.SetHint(BinderItemHint);
        // File names are case-sensitive here: only the very same path is the open binder.
        item.SetIcon(&BinderIcon(path == parts_.Paths.BinderFilePath));
        item.SetCaption(LiteralCaption(BinderNamePart(path)));
    }
}

void TSideBarPane::FillResultPanel(const std::vector<std::string>& texts,
                                   const std::map<std::string, uint32_t>& ids) {
    TShelfItems& items = parts_.Bar.Panels()[PagesListPanel].Items();
    for (const std::string& text : texts) {
        const auto id = ids.find(text);
        if (id == ids.end()) {
            continue;
        }
        TShelfItem& item = items.Add();
        item.SetImageIndex(PageListImage);
        item.SetTextValue(IntToHex(id->second, 1));
        item.SetCaption("  " + LiteralCaption(text));
    }
}

// ---- items and the binder menu ------------------------------------------------------------------

void TSideBarPane::ShelfBar1ItemClick(TShelfPanel* panel, TShelfItem* item) {
    if (panel == nullptr || item == nullptr) {
        return;
    }
    if (panel->Tag() == PagesListPanel) {
        if (const std::optional<uint32_t> id = ParseNodeIdHex(item->TextValue())) {
            SelectNodeById(parts_.Binder.Items(), *id);
            parts_.TreeView1Click();
        }
    } else if (panel->Tag() == BinderListPanel) {
        TViewsPane& views = parts_.Views;
        for (const ViewPage page : {ViewPage::Browse, ViewPage::Notes, ViewPage::Detail}) {
            views.SetPageVisible(page, false);
        }
        views.SetPageVisible(ViewPage::Summary, true);
        views.ActivatePage(ViewPage::Summary);
        TMainActions& actions = parts_.Actions;
        actions.Action(TMainAction::ViewSummary)->setEnabled(true);
        for (const TMainAction view :
             {TMainAction::ViewBrowser, TMainAction::ViewDetail, TMainAction::ViewNote}) {
            actions.Action(view)->setEnabled(false);
        }
        views.ShowBinderSummary(item->TextValue(), parts_.Paths.BinderFilePath,
                                parts_.Binder.Items().Count());
    }
}

void TSideBarPane::ShelfBar1ItemDblClicked(TShelfPanel* panel, TShelfItem* item) {
    if (panel == nullptr || item == nullptr || panel->Tag() != BinderListPanel) {
        return;
    }
    const std::string path = item->TextValue(); // the list is refilled while opening
    parts_.OpenBinder(path);
    OpenPanel(TreePanel);
}

void TSideBarPane::ShelfBar1MouseUp(bool rightButton, int x, int y) {
    if (!rightButton) {
        return;
    }
    TShelfPanel* panel = nullptr;
    TShelfItem* item = nullptr;
    if (parts_.Bar.GetPanelItemAtXY(x, y, panel, item) && panel->Tag() == BinderListPanel) {
        chosenBinder_ = item->TextValue();
        parts_.Actions.Action(TMainAction::EditDelete1)->setEnabled(true);
        deleteBinder1_->setEnabled(true);
        openBinder1_->setEnabled(chosenBinder_ != parts_.Paths.BinderFilePath);
    } else {
        deleteBinder1_->setEnabled(false);
        openBinder1_->setEnabled(false);
    }
    popupMenu6_->popup(QCursor::pos());
}

void TSideBarPane::OpenBinder1Click() {
    parts_.OpenBinder(chosenBinder_);
    OpenPanel(TreePanel);
}

// ---- search -------------------------------------------------------------------------------------

void TSideBarPane::SearchExecute() {
    TSearchCriteria criteria;
    {
        TOKHelpRightDlg dialog(parts_.Bar.window());
        if (dialog.exec() != static_cast<int>(TModalResult::Ok)) {
            return;
        }
        criteria = dialog.Criteria();
    }
    TShelfPanel& panel = parts_.Bar.Panels()[PagesListPanel];
    parts_.Bar.SetTopPanel(PagesListPanel);
    panel.SetCaption(SearchResultCaption);
    clearSearch_->setEnabled(true);
    TSearchResult result;
    AdvancedSearch(parts_.Binder.Items(), parts_.Settings.ListMode, criteria, PageHyperlinks,
                   result);
    panel.Items().Clear();
    FillResultPanel(result.Listed(parts_.Settings.ListMode), result.Ids);
}

void TSideBarPane::ClearSearchExecute() {
    parts_.Bar.Panels()[PagesListPanel].SetCaption(PagesListCaption);
    if (TopPanel() == PagesListPanel) {
        RefillPanel(PagesListPanel);
    }
    clearSearch_->setEnabled(false);
}
