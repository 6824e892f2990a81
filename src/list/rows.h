// Rows of the folder list: one per child node, sorted by the control.
#pragma once

struct FolderNode;

// Adds one row for `node`: label " .." for ".." nodes, else the node's name
// as written (the control gets it in UTF-16; where it takes only 8-bit
// texts, as the code page reads it); image 2 for "..", 1 for a drive, 0 for
// a folder; the node as item data.
void addNodeRow(FolderNode* node);

// The same with the row's label given, already in UTF-16.
void addNodeRowLabelled(FolderNode* node, const wchar_t* label);

// The node of row `row`, or null.
FolderNode* rowNode(int row);

// The node of the row holding the selection mark, or null.
FolderNode* selectedNode();
