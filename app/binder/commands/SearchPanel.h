#pragma once

// The side bar's page list filled from the binder's search.

class IBinderSideBar;
class TTreeNodes;

// Lists every web page of the tree in the side bar's page list, by URL when `listMode` is 1.
void RunSearch(IBinderSideBar& sideBar, const TTreeNodes& tree, int listMode);
