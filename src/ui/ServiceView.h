// The service controls of the window, shown only in service mode: the "Serial Number"
// box (serial number and identity writing with the CRC result) and the "Debug" box
// (link pacing for debugging, CRC check, memory fill, battery calibration, fast
// frequency, the raw external-EEPROM tests and the "Save" button of the dump dialog),
// and the handlers of the six memory dialogs that the "Service" menu opens. Every
// handler runs one sequence of device/ or files/ and shows its result.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "ui/TFormMemoryTransfer.h"
#include "ui/WindowView.h"

namespace Ui {
class ServiceView;
}

namespace zentra {

class ServiceCommands;
struct CrcOutcome;

class ServiceView : public WindowView {
  Q_OBJECT

 public:
  explicit ServiceView(QWidget* parent = nullptr);
  ~ServiceView() override;

  Ui::ServiceView& form() { return *ui; }
  ServiceCommands& service() { return *service_; }

  void Attach(WindowState& state) override;
  std::vector<QWidget*> EditingControls() const override;
  void ShowReadResult(const FullReadResult& result) override;
  // The service controls keep their texts and stay usable when the display is cleared
  // (a transmitter left, the interface closed): they are no setting panel.
  void ResetDisplay() override;

  // --- factory operations ---
  void ButtonWriteSerialClick();
  void Button3Click();
  void ButtonCRCClick();
  void Button_MemoryFillClick();
  void ButtonBatteryCalClick();
  void ButtonFastFreqClick();
  void BtnWriteXEEPROMClick();
  void BtnReadXEEPROMClick();

  // --- memory dialogs ---
  void ButtonDumpClick();
  void SaveXEEPROM1Click();
  void LoadXEEPROM1Click();
  void VerifyXEEPROM1Click();
  void SaveCalEEPROM1Click();
  void LoadCalEEPROM1Click();
  void VerifyCalEEPROM1Click();

  // The file names the memory dialogs offer again, for the program's lifetime.
  QString lastXeepromFile;
  QString lastCalFile;

  // Asks before an operation that destroys the transmitter's memory (replaced by tests).
  std::function<bool(const QString& text)> confirm;
  // Shows a memory dialog modally (replaced by tests, which drive it directly).
  std::function<void(TFormMemoryTransfer& dialog)> runDialog;

 signals:
  // The identity or serial number of the transmitter was written and read back.
  void identityChanged();

 private:
  void ShowCrc(const CrcOutcome& crc);
  // The identity and serial number edits, from TDeviceData (the identity's first 10
  // characters, the part a write sends).
  void ShowIdentityEdit();
  void ShowSerialEdit();
  void OpenDialog(MemoryDialogKind kind);
  void ShowDebugSettings();

  std::unique_ptr<Ui::ServiceView> ui;
  std::unique_ptr<ServiceCommands> service_;
};

}  // namespace zentra
