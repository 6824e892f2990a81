// Rows of the folder list: one per child node, sorted by the control.
#pragma once

struct FolderNode;

// Adds one row for `node`: label " .." for ".." nodes, else the node's name;
// image 2 for "..", 1 for a drive, 0 for a folder; the node as item data.
void addNodeRow(FolderNode* node);

// The node of row `row`, or null.
FolderNode* rowNode(int row);

// The node of the row holding the selection mark, or null.
FolderNode* selectedNode();
