#include "pane/size_breakdown.h"

#include "list/rows.h"

SizeBreakdown computeSizeBreakdown() {
    return computeSizeBreakdown(selectedNode());
}
