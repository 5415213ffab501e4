#include "ui/FrequencyGridRows.h"

#include <QHeaderView>
#include <QTableWidget>

namespace zentra {

namespace {
// Column widths of the frequency grid: channel, frequency, lock, hidden.
constexpr int kGridColumnWidths[4] = {30, 80, 70, 70};
constexpr int kGridRowHeight = 18;
// A channel that an intermodulation product or a too-close carrier would disturb.
const QColor kConflictColour(255, 176, 160);
}  // namespace

void SetUpFrequencyGrid(QTableWidget* grid) {
  for (int c = 0; c < 4; ++c) grid->setColumnWidth(c, kGridColumnWidths[c]);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  SetFrequencyGridHeaders(grid, true);
}

void SetFrequencyGridHeaders(QTableWidget* grid, bool channelFlags) {
  grid->setHorizontalHeaderLabels(
      {"CH", "Frequency", channelFlags ? "Lock" : "-", channelFlags ? "Hidden" : "-"});
}

void SetGridCell(QTableWidget* grid, int row, int column, const QString& text) {
  if (QTableWidgetItem* item = grid->item(row, column)) {
    item->setText(text);
  } else {
    grid->setItem(row, column, new QTableWidgetItem(text));
  }
}

void ClearGridChannelCells(QTableWidget* grid) {
  for (int row = 0; row < grid->rowCount(); ++row) {
    SetGridCell(grid, row, kGridChannelColumn, QString::asprintf("%02d", row));
    for (int column = kGridFrequencyColumn; column <= kGridHiddenColumn; ++column) {
      SetGridCell(grid, row, column, {});
    }
    grid->item(row, kGridFrequencyColumn)->setBackground(QBrush());
    grid->item(row, kGridFrequencyColumn)->setToolTip({});
  }
}

void ShowGridRows(QTableWidget* grid, const GroupView& view, bool channelFlags) {
  const int rows = std::min<int>(grid->rowCount(), int(view.rows.size()));
  for (int row = 0; row < rows; ++row) {
    const ChannelRow& channel = view.rows[row];
    SetGridCell(grid, row, kGridFrequencyColumn,
                channel.freqRead ? QString::fromLatin1(FormatMHz(channel.freqKHz).c_str()) : QString());
    if (channelFlags && channel.flagsRead) {
      SetGridCell(grid, row, kGridLockColumn, channel.locked ? "lock" : "");
      SetGridCell(grid, row, kGridHiddenColumn, channel.hidden ? "hidden" : "");
    } else if (view.isSync) {
      SetGridCell(grid, row, kGridLockColumn, {});
      SetGridCell(grid, row, kGridHiddenColumn, {});
    }
  }
}

void ShowGridConflictMarks(QTableWidget* grid, const std::vector<plan::ChannelMark>& marks) {
  for (int row = 0; row < grid->rowCount(); ++row) {
    QTableWidgetItem* item = grid->item(row, kGridFrequencyColumn);
    if (!item) continue;
    const bool conflict = row < int(marks.size()) && marks[row].conflict();
    item->setBackground(conflict ? QBrush(kConflictColour) : QBrush());
    item->setToolTip(conflict ? QString::fromStdString(marks[row].toolTip()) : QString());
  }
}

}  // namespace zentra
