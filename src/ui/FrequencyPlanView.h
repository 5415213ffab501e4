// The "Tuning Frequencies" box: the transmitter's frequency table shown one group at a
// time (and the SYNC group), with the channels' lock and hidden flags, the group's name,
// lock and hidden flags, tuning by ctrl-click, and the frequency entry dialog. The table
// lives on the transmitter: the grid always shows what was last read of the shown group.
// The group-box handlers are in FrequencyPlanView.cpp, the grid's in
// FrequencyPlanGrid.cpp.
#pragma once

#include <QStyledItemDelegate>
#include <memory>
#include <string>
#include <vector>

#include "device/FrequencyPlan.h"
#include "plan/Coordination.h"
#include "ui/WindowView.h"

namespace Ui {
class FrequencyPlanView;
}

namespace zentra {

class FrequencyPlanView : public WindowView {
  Q_OBJECT

 public:
  explicit FrequencyPlanView(QWidget* parent = nullptr);
  ~FrequencyPlanView() override;

  Ui::FrequencyPlanView& form() { return *ui; }

  void Attach(WindowState& state) override;
  void ResetDisplay() override;
  void ShowReadResult(const FullReadResult& result) override;
  void ShowEditLock() override;
  // Re-reads the group list and the shown group (names, frequencies, flags) and shows
  // the group boxes from the data model, after a table load changed them on the
  // transmitter.
  bool Reload();
  // The tuning and the group flags as TDeviceData holds them (no read).
  void ShowFromData() override;

  // What the grid shows: the last read of the shown group (group -1: none).
  const GroupView& shownGroup() const { return shown_; }

  // --- the group box ---
  // Reads the group selected in listFrequenciesGroup (name, every channel's frequency
  // and flags) into the grid and the group boxes. False when a read failed.
  bool listFrequenciesGroupChange();
  // The group check boxes change the data model only; SAVE writes them.
  void ckGroupLockClick();
  void ckGroupHiddenClick();
  void ButtonSaveLockHiddenClick();

  // --- the grid (rows are channels; the header is the fixed title row) ---
  // The coordination marks of the shown rows: which channels on air suffer a conflict
  // (spacing or an intermodulation product of other channels of the group), recomputed
  // whenever the rows are shown again.
  const std::vector<plan::ChannelMark>& conflictMarks() const { return marks_; }
  // True when the channel of a row suffers a conflict.
  bool HasConflict(int row) const;

  // True for the frequency cell of the tuned channel while its group is shown.
  bool IsTunedCell(int row, int column) const;
  // Paints one cell: the tuned channel's frequency on yellow, the others as usual.
  void gridFrequenciesDrawCell(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const;
  // The grid refuses every selection: a current cell is dropped as soon as it is set.
  void gridFrequenciesSelectCell();
  // Remembers the cell hit; ctrl + left click on a frequency tunes the transmitter to
  // that channel unless it is hidden. A plain click never tunes.
  void gridFrequenciesMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
                                int column, int row);
  // The wheel never scrolls the grid: the event is taken as handled.
  bool gridFrequenciesMouseWheel();
  // On the cell last hit: a frequency opens the frequency dialog and writes its value;
  // a Lock or Hidden cell toggles that flag (with the refusals of hiding).
  void gridFrequenciesDblClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Shows a group just read: the grid rows, the group boxes and the name.
  void ShowGroup(const GroupView& view);
  void ShowChannelRows();
  // Colours and tool tips of the frequency cells whose channel suffers a conflict.
  void ShowConflictMarks();
  // The group check boxes from the data model (unchecked and disabled for SYNC).
  void ShowGroupChecks();
  // Which group boxes (and SAVE) the user may use: only with the lock bytes read.
  void ShowGroupBoxesEnabled();
  void ShowGroupName(const GroupView& view);
  // Empties the frequency and flag cells, keeping the channel numbers.
  void ClearChannelCells();
  void SetCell(int row, int column, const QString& text);
  void WarnWithBeep(const std::string& text);
  // The text of EditGroupName as bytes for the transmitter (non-ASCII becomes blank).
  std::string GroupNameText() const;
  void EditChannelFrequency(int row);
  void EditChannelFlag(int row, bool hiddenColumn);
  // True when the transmitter shown when `generation` was taken is still the one shown.
  bool StillShowing(int generation) const;

  std::unique_ptr<Ui::FrequencyPlanView> ui;
  GroupView shown_;
  std::vector<plan::ChannelMark> marks_;
  // Counts the transmitters shown: a read or a dialog that let events run checks it
  // before showing or writing anything, since the transmitter may have left meanwhile.
  int generation_ = 0;
  int lastHitColumn_ = -1;
  int lastHitRow_ = -1;
  bool groupLockEnabled_ = false;
  bool groupHiddenEnabled_ = false;
};

// Draws the grid's cells through FrequencyPlanView::gridFrequenciesDrawCell.
class FrequencyCellDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  FrequencyCellDelegate(const FrequencyPlanView& view, QObject* parent);
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
  void PaintNormally(QPainter* painter, const QStyleOptionViewItem& option,
                     const QModelIndex& index) const;

 private:
  const FrequencyPlanView& view_;
};

}  // namespace zentra
