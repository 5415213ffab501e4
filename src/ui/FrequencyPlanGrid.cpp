// The frequency grid of the "Tuning Frequencies" box: showing a group's channels, the
// yellow cell of the tuned channel, ctrl-click tuning, and the double click that edits a
// frequency through the frequency dialog or toggles a channel's lock or hidden flag.
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include "device/CommandSet.h"
#include "device/TDeviceData.h"
#include "files/GroupCoordination.h"
#include "link/IrLink.h"
#include "link/LinkWait.h"
#include "ui/FrequencyPlanView.h"
#include "ui/TformFrequency.h"
#include "ui/UserMessages.h"
#include "ui/WindowState.h"
#include "ui_FrequencyPlanView.h"

namespace zentra {

namespace {
enum Column { kChannelColumn = 0, kFrequencyColumn = 1, kLockColumn = 2, kHiddenColumn = 3 };
const QColor kTunedColour(255, 255, 0);
// A channel that an intermodulation product or a too-close carrier would disturb.
const QColor kConflictColour(255, 176, 160);
const QColor kConflictFrame(200, 0, 0);
}  // namespace

FrequencyCellDelegate::FrequencyCellDelegate(const FrequencyPlanView& view, QObject* parent)
    : QStyledItemDelegate(parent), view_(view) {}

void FrequencyCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
  view_.gridFrequenciesDrawCell(painter, option, index);
}

void FrequencyCellDelegate::PaintNormally(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
  QStyledItemDelegate::paint(painter, option, index);
}

// ---------------------------------------------------------------------------------
// Showing the rows

void FrequencyPlanView::SetCell(int row, int column, const QString& text) {
  QTableWidget* grid = ui->gridFrequencies;
  if (QTableWidgetItem* item = grid->item(row, column)) {
    item->setText(text);
  } else {
    grid->setItem(row, column, new QTableWidgetItem(text));
  }
}

void FrequencyPlanView::ClearChannelCells() {
  QTableWidget* grid = ui->gridFrequencies;
  for (int row = 0; row < grid->rowCount(); ++row) {
    SetCell(row, kChannelColumn, QString::asprintf("%02d", row));
    for (int column = kFrequencyColumn; column <= kHiddenColumn; ++column) SetCell(row, column, {});
    grid->item(row, kFrequencyColumn)->setBackground(QBrush());
    grid->item(row, kFrequencyColumn)->setToolTip({});
  }
  marks_.clear();
}

void FrequencyPlanView::ShowChannelRows() {
  const bool flags = state->device.channelFlagsSupported != 0;
  const int rows = std::min<int>(ui->gridFrequencies->rowCount(), int(shown_.rows.size()));
  for (int row = 0; row < rows; ++row) {
    const ChannelRow& channel = shown_.rows[row];
    // A read that failed leaves its cell empty (frequency) or as it was (flags).
    SetCell(row, kFrequencyColumn,
            channel.freqRead ? QString::fromLatin1(FormatMHz(channel.freqKHz).c_str()) : QString());
    if (flags && channel.flagsRead) {
      SetCell(row, kLockColumn, channel.locked ? "lock" : "");
      SetCell(row, kHiddenColumn, channel.hidden ? "hidden" : "");
    } else if (shown_.isSync) {
      SetCell(row, kLockColumn, {});
      SetCell(row, kHiddenColumn, {});
    }
  }
  ShowConflictMarks();
}

void FrequencyPlanView::ShowConflictMarks() {
  // The channels on air of the shown group, checked against each other with the default
  // guards; a write or a new read of the group shows them again.
  marks_ = shown_.isSync ? std::vector<plan::ChannelMark>{}
                         : GroupConflictMarks(shown_, plan::Guards{});
  QTableWidget* grid = ui->gridFrequencies;
  for (int row = 0; row < grid->rowCount(); ++row) {
    QTableWidgetItem* item = grid->item(row, kFrequencyColumn);
    if (!item) continue;
    const bool conflict = HasConflict(row);
    item->setBackground(conflict ? QBrush(kConflictColour) : QBrush());
    item->setToolTip(conflict ? QString::fromStdString(marks_[row].toolTip()) : QString());
  }
}

bool FrequencyPlanView::HasConflict(int row) const {
  return row >= 0 && row < int(marks_.size()) && marks_[row].conflict();
}

// ---------------------------------------------------------------------------------
// Painting and mouse

bool FrequencyPlanView::IsTunedCell(int row, int column) const {
  const TDeviceData& d = state->device;
  return column == kFrequencyColumn && shown_.group >= 0 && shown_.group == d.curGroup &&
         row == d.curChannel && row < int(shown_.rows.size());
}

void FrequencyPlanView::gridFrequenciesDrawCell(QPainter* painter,
                                                const QStyleOptionViewItem& option,
                                                const QModelIndex& index) const {
  auto* delegate = static_cast<FrequencyCellDelegate*>(ui->gridFrequencies->itemDelegate());
  if (!IsTunedCell(index.row(), index.column())) {
    delegate->PaintNormally(painter, option, index);
    return;
  }
  painter->save();
  painter->fillRect(option.rect, kTunedColour);
  if (HasConflict(index.row())) {
    // The tuned channel keeps its yellow; a red frame tells it is disturbed.
    painter->setPen(QPen(kConflictFrame, 2));
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
  }
  painter->setPen(option.palette.color(QPalette::Text));
  painter->setFont(option.font);
  painter->drawText(option.rect.adjusted(2, 3, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                    index.data().toString());
  painter->restore();
}

void FrequencyPlanView::gridFrequenciesSelectCell() {
  QTableWidget* grid = ui->gridFrequencies;
  if (grid->currentIndex().isValid()) grid->selectionModel()->clearCurrentIndex();
}

bool FrequencyPlanView::gridFrequenciesMouseWheel() { return true; }

bool FrequencyPlanView::eventFilter(QObject* watched, QEvent* event) {
  QTableWidget* grid = ui->gridFrequencies;
  if (event->type() == QEvent::Wheel &&
      (watched == grid->viewport() || watched == grid->verticalScrollBar())) {
    return gridFrequenciesMouseWheel();
  }
  if (watched == grid->viewport() && (event->type() == QEvent::MouseButtonPress ||
                                      event->type() == QEvent::MouseButtonDblClick)) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QModelIndex hit = grid->indexAt(mouse->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
      RunGuarded([&] {
        gridFrequenciesMouseDown(mouse->button(), mouse->modifiers(), hit.column(), hit.row());
      });
    } else {
      lastHitColumn_ = hit.column();
      lastHitRow_ = hit.row();
      RunGuarded([this] { gridFrequenciesDblClick(); });
    }
    // Taken here: a click never selects a cell.
    return true;
  }
  return WindowView::eventFilter(watched, event);
}

void FrequencyPlanView::gridFrequenciesMouseDown(Qt::MouseButton button,
                                                 Qt::KeyboardModifiers modifiers, int column,
                                                 int row) {
  lastHitColumn_ = column;
  lastHitRow_ = row;
  if (button != Qt::LeftButton || !(modifiers & Qt::ControlModifier)) return;
  if (column != kFrequencyColumn || row < 0 || row >= int(shown_.rows.size())) return;
  // The SYNC group has its one channel in the first row only.
  if (shown_.isSync && row != 0) return;
  if (!state->AcceptUserChange({})) return;
  const int group = shown_.isSync ? state->device.syncGroup : shown_.group;
  const TuneResult tuned = TuneToChannel(state->link, state->device, group, row);
  if (tuned.skipped) return;  // a hidden channel is not tuned
  ui->gridFrequencies->clearSelection();
  ui->gridFrequencies->viewport()->update();
  emit state->tuningChanged();
}

// ---------------------------------------------------------------------------------
// Double click

void FrequencyPlanView::gridFrequenciesDblClick() {
  if (!state->AcceptUserChange({})) return;
  const int column = lastHitColumn_;
  const int row = lastHitRow_;
  if (shown_.group < 0 || row < 0 || row >= int(shown_.rows.size())) return;
  if (column == kFrequencyColumn) {
    // With SYNC shown, the frequency of any row edits the one sync channel.
    EditChannelFrequency(row);
    return;
  }
  if (shown_.isSync || !state->device.channelFlagsSupported) return;
  if (column == kLockColumn || column == kHiddenColumn) {
    EditChannelFlag(row, column == kHiddenColumn);
  }
}

void FrequencyPlanView::EditChannelFrequency(int row) {
  const int generation = generation_;
  int32_t freqKHz = 0;
  {
    TformFrequency dialog(state->device, state->window);
    freqKHz = dialog.Run();
  }
  // The poll runs while the dialog is open: a transmitter that left (or was replaced)
  // meanwhile gets nothing written. Cancelled (0): nothing is written, and the group is
  // read again all the same.
  if (!StillShowing(generation)) return;
  UpdatingScope updating(*state);
  TDeviceData& d = state->device;
  GroupView view = shown_;
  const PlanEditResult result = WriteChannelFrequencyAndReload(state->link, d, view, row, freqKHz,
                                                               [] { PumpEvents(); });
  if (!StillShowing(generation)) return;
  ShowGroup(view);
  if (result.written) emit state->frequencyTableChanged(view.group);
  // The tuned channel got a new frequency: the Tuning box shows it read back.
  if (result.tunedFrequencyRead) emit state->tuningChanged();
}

void FrequencyPlanView::EditChannelFlag(int row, bool hiddenColumn) {
  UpdatingScope updating(*state);
  const int generation = generation_;
  GroupView view = shown_;
  const auto pump = [] { PumpEvents(); };
  const PlanEditResult result =
      hiddenColumn ? ToggleChannelHidden(state->link, state->device, view, row, pump)
                   : ToggleChannelLock(state->link, state->device, view, row, pump);
  if (!StillShowing(generation)) return;
  shown_ = view;
  ShowChannelRows();
  ui->gridFrequencies->clearSelection();
  if (!result.warning.empty()) WarnWithBeep(result.warning.text);
  if (result.written) emit state->frequencyTableChanged(view.group);
}

}  // namespace zentra
