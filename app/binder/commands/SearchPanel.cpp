#include "app/binder/commands/SearchPanel.h"

#include "app/binder/BinderUi.h"
#include "app/binder/Search.h"

void RunSearch(IBinderSideBar& sideBar, const TTreeNodes& tree, int listMode) {
    TSearchResult result;
    KeywordSearch(tree, listMode, result, "", "", "");
    sideBar.FillResultPanel(result.Listed(listMode), result.Ids);
}
