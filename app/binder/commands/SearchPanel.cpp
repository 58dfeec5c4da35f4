#include "app/binder/commands/SearchPanel.h"

#include "app/binder/Search.h"
#include "app/binder/commands/BinderUi.h"

void RunSearch(IBinderSideBar& sideBar, const TTreeNodes& tree, int listMode) {
    TSearchResult result;
    KeywordSearch(tree, listMode, result, "", "", "");
    sideBar.FillResultPanel(result.Listed(listMode), result.Ids);
}
