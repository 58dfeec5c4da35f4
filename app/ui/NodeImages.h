#pragma once

// The images of the main window's image list that the tree, the menus and the status bar use,
// and which image a tree node shows.

class TImageList;
class TTreeNode;

enum TMainImage {
    ImageOnline = 1,        // status texts: "<img "idx:1">"
    ImageOpenParent = 17,   // a node with children, expanded
    ImageClosedFolder = 18, // a node with children, collapsed; a folder without children
    ImagePage = 25,         // a web page
    ImagePageSelected = 26, // the selected web page
    ImageLink = 27,         // a link
    ImageNotes = 28,        // a notes document
    ImageViewMark = 43,     // marks the current view and the shown side bar
    MainImageCount = 44,
};

// The image of a tree node (`selected`: as the selected node); -1 for a node without a record
// and without children.
int NodeImageIndex(const TTreeNode* node, bool selected);

// Fills the list with the program's images at their indexes (16 x 16, from the desktop's
// style); the indexes without a picture of their own hold empty images.
void FillMainImages(TImageList& images);
