// The frequency grid as both the live "Tuning Frequencies" box and the offline plan show
// it: four columns "CH", "Frequency", "Lock", "Hidden" (or "-" without channel flags),
// one row per channel, a group's rows filled from a GroupView, and the frequency cells
// of channels that suffer a conflict painted and explained in their tool tip.
#pragma once

#include <QString>
#include <vector>

#include "device/FrequencyPlan.h"
#include "plan/Coordination.h"

class QTableWidget;

namespace zentra {

enum FrequencyGridColumn { kGridChannelColumn = 0, kGridFrequencyColumn = 1, kGridLockColumn = 2, kGridHiddenColumn = 3 };

// Column widths, row height and the headers; no row header.
void SetUpFrequencyGrid(QTableWidget* grid);
// The headers "Lock"/"Hidden", or "-"/"-" when the table has no channel flags.
void SetFrequencyGridHeaders(QTableWidget* grid, bool channelFlags);
void SetGridCell(QTableWidget* grid, int row, int column, const QString& text);
// Every row: its channel number, the other cells empty and unmarked.
void ClearGridChannelCells(QTableWidget* grid);
// The rows of a group as read: a frequency that could not be read leaves its cell empty,
// flags that could not be read stay as they were; SYNC rows show no flags.
void ShowGridRows(QTableWidget* grid, const GroupView& view, bool channelFlags);
// Paints the frequency cells of the marked rows and puts the conflicts in their tool tip.
void ShowGridConflictMarks(QTableWidget* grid, const std::vector<plan::ChannelMark>& marks);

}  // namespace zentra
