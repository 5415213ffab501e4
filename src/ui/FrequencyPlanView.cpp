#include "ui/FrequencyPlanView.h"

#include <QHeaderView>

#include "device/FrequencyPlan.h"
#include "device/FullRead.h"
#include "device/TDeviceData.h"
#include "ui/WindowState.h"
#include "ui_FrequencyPlanView.h"

namespace zentra {

namespace {
// Column widths of the frequency grid: channel, frequency, lock, hidden.
constexpr int kGridColumnWidths[4] = {30, 80, 70, 70};
constexpr int kGridRowHeight = 18;
}  // namespace

FrequencyPlanView::FrequencyPlanView(QWidget* parent) : WindowView(parent), ui(std::make_unique<Ui::FrequencyPlanView>()) {
  ui->setupUi(this);
  QTableWidget* grid = ui->gridFrequencies;
  for (int c = 0; c < 4; ++c) grid->setColumnWidth(c, kGridColumnWidths[c]);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
  grid->setHorizontalHeaderLabels({"CH", "Frequency", "Lock", "Hidden"});
}

FrequencyPlanView::~FrequencyPlanView() = default;

void FrequencyPlanView::ResetDisplay() {
  QTableWidget* grid = ui->gridFrequencies;
  grid->clearContents();
  grid->setRowCount(1);
  grid->clearSelection();
  WindowView::ResetDisplay();
}

void FrequencyPlanView::ShowEditLock() {
  if (state->device.groupNamesSupported) SetControlEnabled(ui->EditGroupName, !state->editLocked);
}

void FrequencyPlanView::ShowReadResult(const FullReadResult& result) {
  // The first group of the frequency table, as the read brought it in.
  const TDeviceData& d = state->device;
  auto latin1 = [](const std::string& s) { return QString::fromLatin1(s.c_str()); };
  QTableWidget* grid = ui->gridFrequencies;
  const bool flags = d.channelFlagsSupported != 0;
  grid->setHorizontalHeaderLabels({"CH", "Frequency", flags ? "Lock" : "-", flags ? "Hidden" : "-"});
  const GroupView& view = result.firstGroup;
  // The grid may be scrolled through; its editing handlers check the edit lock.
  EnableControl(grid);
  grid->clearContents();
  grid->setRowCount(std::max<int>(1, int(view.rows.size())));
  for (int row = 0; row < int(view.rows.size()); ++row) {
    const ChannelRow& channel = view.rows[row];
    auto cell = [&](int column, const QString& text) {
      grid->setItem(row, column, new QTableWidgetItem(text));
    };
    cell(0, QString::asprintf("%02d", row));
    if (channel.freqRead) cell(1, latin1(FormatMHz(channel.freqKHz)));
    if (flags && channel.flagsRead) {
      cell(2, channel.locked ? "lock" : "");
      cell(3, channel.hidden ? "hidden" : "");
    }
  }
}

}  // namespace zentra
