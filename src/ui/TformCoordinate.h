// The "Coordinate…" dialog of a group, for an offline plan and for the transmitter
// alike: how many frequencies, the range and step, the four distances (spacing and the
// guards of the three kinds of intermodulation products), the channels whose frequency
// is kept, excluded ranges (typed, TV channels, the occupied parts of a spectrum scan)
// and the other groups on air at the same time. "Suggest" runs the search with a
// progress dialog that can cancel it; the set found is shown with its check and its
// spectrum, and "Write to Group" hands it to the caller, which writes it into the plan
// or through the table load into the transmitter.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "plan/Coordination.h"
#include "plan/Exclusions.h"
#include "plan/Suggest.h"

namespace Ui {
class TformCoordinate;
}

namespace zentra {

// What the user chose besides the set; the caller keeps it for the next time.
struct CoordinationChoices {
  plan::Guards guards;
  QString excludeText;
  QString tvChannelsText;
  int tvRaster = 8;
  QString scanPath;
  std::vector<plan::ScanPoint> scan;
  double thresholdDbm = -80;
  std::vector<int> onAir;  // indexes into CoordinationSetup::others
  bool hideRest = true;
  // The excluded ranges these give (typed ranges, TV channels, the scan above its
  // threshold), merged. False, with a message, for text that cannot be read.
  bool Excluded(std::vector<plan::FreqRange>& out, QString& error) const;
};

struct CoordinationSetup {
  QString groupText;            // "Group 01 \"Stage A\" of plan.qdf"
  int channelCount = 0;         // the most the group holds
  int32_t minKHz = 0, maxKHz = 0;  // the table's or the transmitter's range
  int32_t stepHz = 0;
  bool stepFixed = false;       // a transmitter tunes in its own step only
  // The group's channels on air (channel, kHz): each may be kept.
  std::vector<std::pair<int, int32_t>> channels;
  struct Other {
    QString label;
    std::optional<std::vector<int32_t>> activeKHz;  // none: read when first ticked
  };
  std::vector<Other> others;    // the other groups of the table
  // Reads the carriers of others[i] when they are not given (a transmitter's groups are
  // read only when the user ticks them).
  std::function<std::vector<int32_t>(size_t i)> readOther;
  // Where a carrier may go in [low, high] on the step (a transmitter also leaves out its
  // sub-bands without power).
  std::function<std::vector<int32_t>(int32_t lowKHz, int32_t highKHz, int32_t stepHz)> candidates;
  bool hideRestAvailable = true;  // the table has channel hidden flags
};

struct CoordinationOutcome {
  std::vector<int32_t> setKHz;  // ascending, for channels 00..
  bool hideRest = false;
};
// Writes the set; false, with a message for the user, when it was not written as asked.
using CoordinationWriter = std::function<bool(const CoordinationOutcome& outcome, QString& message)>;

class TformCoordinate : public QDialog {
  Q_OBJECT

 public:
  TformCoordinate(const CoordinationSetup& setup, const CoordinationChoices& choices,
                  CoordinationWriter writer, QWidget* parent = nullptr);
  ~TformCoordinate() override;

  Ui::TformCoordinate& form() { return *ui; }
  // The choices as the dialog shows them now.
  CoordinationChoices choices() const;
  const plan::SuggestResult& lastResult() const { return result_; }
  // True once a set was written.
  bool written() const { return written_; }

  void btnSuggestClick();
  void btnWriteClick();
  void btnScanClick();
  void btnClearScanClick();
  void btnDefaultGuardsClick();
  // Reads a scan export into the dialog; false (and a warning shown) when it is refused.
  bool LoadScan(const QString& path);

 private:
  // The request of the current settings; false, with a message, when one is not valid.
  bool BuildRequest(plan::SuggestRequest& request, std::vector<plan::FreqRange>& excluded, QString& error);
  // The carriers of the ticked groups (read from the transmitter the first time).
  std::vector<int32_t> OnAirKHz();
  void ShowExcluded();
  void ShowResult(const std::vector<plan::FreqRange>& excluded);
  void Warn(const QString& text);

  std::unique_ptr<Ui::TformCoordinate> ui;
  CoordinationSetup setup_;
  CoordinationWriter writer_;
  std::vector<plan::ScanPoint> scan_;
  QString scanPath_;
  plan::SuggestRequest request_;
  plan::SuggestResult result_;
  bool written_ = false;
};

}  // namespace zentra
