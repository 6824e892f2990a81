// Filling the folder list with one node's children in one go.
#pragma once

struct FolderNode;

// Empties the list and adds one row per child of `shown`. The rows come out
// in the control's own order; they are handed over in the order that lets
// the control put each one at the top at once (Wine's sorted insert scans
// from the top), with redrawing off until the last one is in.
void fillRows(const FolderNode* shown);
