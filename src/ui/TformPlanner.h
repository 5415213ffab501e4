// The offline frequency plan: a window of its own beside the main window, showing a
// .qdf file's table with the same grid, group list and dialogs as the transmitter's
// "Tuning Frequencies" box, and its spectrum. Everything here changes the plan in
// memory only; "Save Frequency Table" writes the file. A banner, the title (the file's
// name with a modified mark) and the window itself keep it apart from the live view,
// so the user always knows an edit goes to a file and not to a transmitter.
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <set>

#include "files/OfflinePlan.h"
#include "ui/TformCoordinate.h"

namespace Ui {
class TformPlanner;
}

namespace zentra {

// Asked before unsaved changes would be lost (closing, opening another file).
enum class UnsavedChoice { Save, Discard, Cancel };
using UnsavedAsker = std::function<UnsavedChoice(QWidget* parent, const QString& fileName)>;
// Replaces the question (tests answer it); an empty asker restores the box. Returns the
// asker installed before.
UnsavedAsker SetUnsavedAsker(UnsavedAsker asker);

class TformPlanner : public QMainWindow {
  Q_OBJECT

 public:
  explicit TformPlanner(QWidget* parent = nullptr);
  ~TformPlanner() override;

  Ui::TformPlanner& form() { return *ui; }
  OfflinePlan& plan() { return plan_; }
  // The file the plan is saved to; empty for a new plan not saved yet.
  const QString& filePath() const { return path_; }
  const std::set<int>& groupsOnAir() const { return onAir_; }
  void SetGroupsOnAir(std::set<int> groups);

  // Open a file as the plan (after asking about unsaved changes); false when it was not
  // opened (cancelled, or refused with a message).
  bool OpenFile(const QString& path);
  // A new plan of that layout (after asking about unsaved changes).
  bool NewTable(const PlanLayout& layout);
  // Save to the plan's file, or ask for one when it has none. False when not saved.
  bool Save();
  bool SaveAs();
  bool SaveTo(const QString& path);
  // True when the plan may go: no unsaved changes, or the user saved or dropped them.
  bool MayClose();

  // --- handlers ---
  void listFrequenciesGroupChange();
  void gridFrequenciesDblClick(int row, int column);
  void ckGroupLockClick();
  void ckGroupHiddenClick();
  void EditGroupNameEditingFinished();
  void btnCoordinateClick();
  void actExportCsvClick();
  void actImportCsvClick();

  // The index of the group shown (into OfflinePlan::GroupItems()).
  int shownGroup() const;
  // The conflict marks of the shown rows, with the groups on air together.
  const std::vector<plan::ChannelMark>& conflictMarks() const { return marks_; }

 signals:
  // Save As or Open gave the plan a new file.
  void fileChanged(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // Fills the group list, the grid size and the title from the plan.
  void ShowPlan();
  // Shows the selected group: grid rows, marks, group boxes, name, spectrum.
  void ShowGroup();
  void ShowTitle();
  void ShowSpectrum();
  std::vector<int32_t> OnAirKHz() const;
  void WarnWithBeep(const std::string& text);
  void EditFrequency(int row);

  std::unique_ptr<Ui::TformPlanner> ui;
  OfflinePlan plan_;
  QString path_;
  std::set<int> onAir_;
  CoordinationChoices choices_;
  std::vector<plan::ChannelMark> marks_;
  bool filling_ = false;  // the program fills controls: their handlers do nothing
};

}  // namespace zentra
