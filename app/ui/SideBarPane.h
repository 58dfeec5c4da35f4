#pragma once

// The side bar ShelfBar1 as the main window uses it: its three panels ("Pages Explorer" with
// the binder tree, "Pages List" with every page or the search results, "My Binders" with the
// known binders), what opening a panel and clicking its items do, the binder menu, and the
// search commands. It is the side bar the binder code works (IBinderSideBar).

#include "app/binder/commands/BinderUi.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ISettingsStore;
class QAction;
class QMenu;
class TBinderTree;
class TMainActions;
class TShelfBarTqz;
class TShelfItem;
class TShelfItems;
class TShelfPanel;
class TViewsPane;
class QWidget;
struct BinderPaths;
struct TSettings;

inline constexpr const char* PagesListCaption = "Pages List";
inline constexpr const char* SearchResultCaption = "Search Result List";
// The image of a page in the page list, in ImageList4.
inline constexpr int PageListImage = 8;

// What the side bar works with; everything must outlive it.
struct TSideBarParts {
    TShelfBarTqz& Bar;
    QWidget& TreeView1; // hosted by the first panel
    TBinderTree& Binder;
    TViewsPane& Views;
    TMainActions& Actions;
    TSettings& Settings;
    ISettingsStore& Store;
    const BinderPaths& Paths;
    std::function<void(const std::string&)> OpenBinder; // opens a binder file
    std::function<void()> TreeView1Click;               // shows the selected node
};

class TSideBarPane : public QObject, public IBinderSideBar {
public:
    // Designs the bar: its look, the three panels and the pictures.
    explicit TSideBarPane(const TSideBarParts& parts, QObject* owner = nullptr);
    ~TSideBarPane() override;

    int TopPanel() const override;
    // Makes the panel the top panel and runs the panel-opening rule; other indexes are ignored.
    void OpenPanel(int index) override;
    // The panel-opening rule for a panel by index.
    void RefillPanel(int index) override;
    std::string ChosenBinderPath() const override { return chosenBinder_; }

    // ---- handlers ----
    void ShelfBar1PanelOpen(TShelfPanel* panel);
    void FillBinderPanel(TShelfItems& items);
    void FillResultPanel(const std::vector<std::string>& texts,
                         const std::map<std::string, uint32_t>& ids) override;
    void ShelfBar1ItemClick(TShelfPanel* panel, TShelfItem* item);
    void ShelfBar1ItemDblClicked(TShelfPanel* panel, TShelfItem* item);
    // The right button: the binder menu at the pointer.
    void ShelfBar1MouseUp(bool rightButton, int x, int y);
    void OpenBinder1Click();
    void SearchExecute();
    void ClearSearchExecute();

    QAction& Search() const { return *search_; }
    QAction& ClearSearch() const { return *clearSearch_; }
    QMenu& PopupMenu6() const { return *popupMenu6_; }
    QAction& OpenBinder1() const { return *openBinder1_; }
    QAction& DeleteBinder1() const { return *deleteBinder1_; }
    const TImageList& ImageList4() const { return imageList4_; }
    // The binder icons: not open ("binderA") and open ("binderB").
    const TIcon& BinderIcon(bool open) const { return open ? binderB_ : binderA_; }

private:
    void Design();
    void BindEvents();
    void BuildCommands();
    // The ten tree and edit commands: those that need an open binder, the two that add nodes,
    // and the edit commands (always off).
    void EnableTreeCommands(bool binderOpen, bool newNodes);
    // Cut, Copy and Delete on for the selected node, Paste while a node waits in a slot.
    void FollowSelectedNode();

    TSideBarParts parts_;
    QPointer<QWidget> barAlive_;
    TImageList imageList4_;
    TIcon binderA_, binderB_;
    std::string chosenBinder_; // the binder item last right-clicked
    QAction* search_ = nullptr;
    QAction* clearSearch_ = nullptr;
    QMenu* popupMenu6_ = nullptr;
    QAction* openBinder1_ = nullptr;
    QAction* deleteBinder1_ = nullptr;
};
