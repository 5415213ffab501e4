// The six memory dialogs of the service tools, one class parameterised by what differs:
// the memory (external EEPROM with its address fields, or a calibration page chosen by
// "PAGE0/1"), the direction (dump, load, verify), the captions and the remembered file
// name. The transfer itself is files/MemoryTransfer; the dialog runs it inside its start
// button, keeps painting and moving its progress bar between blocks, shows the outcome
// in plain boxes and decides whether it stays open.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <memory>

namespace Ui {
class TFormMemoryTransfer;
}

namespace zentra {

class ServiceCommands;
struct TransferResult;

enum class MemoryDialogKind { Dump, Load, Verify, CalDump, CalLoad, CalVerify };

class TFormMemoryTransfer : public QDialog {
  Q_OBJECT

 public:
  // lastFile: the file name the window remembers for this memory (lastXeepromFile or
  // lastCalFile); loads and verifies offer it and store the file they use.
  TFormMemoryTransfer(MemoryDialogKind kind, ServiceCommands& service, QString& lastFile,
                      QWidget* parent = nullptr);
  ~TFormMemoryTransfer() override;

  Ui::TFormMemoryTransfer& form() { return *ui; }
  MemoryDialogKind kind() const { return kind_; }
  bool transferring() const { return transferring_; }

  // File choice: a save dialog for dumps, an open dialog otherwise.
  void btnFileSettingsClick();
  // Runs the transfer, then shows its outcome; closes the dialog when it is over, stays
  // open after a refusal, a file problem, a lost transmitter or a failed verify (whose
  // differences are then still there to read and copy).
  void ButtonStartClick();
  // The defaults put into the fields when the dialog opens.
  void FormPaint();

  // How the file is chosen (replaced by tests); returns an empty text when cancelled.
  std::function<QString(bool save, const QString& current)> chooseFile;

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override;

 private:
  bool IsDump() const;
  bool IsLoad() const;
  bool IsVerify() const;
  bool IsCalibration() const;
  void SetBusy(bool busy);
  TransferResult RunTransfer();

  std::unique_ptr<Ui::TFormMemoryTransfer> ui;
  MemoryDialogKind kind_;
  ServiceCommands& service_;
  QString& lastFile_;
  bool transferring_ = false;
  bool abortRequested_ = false;
  bool defaultsSet_ = false;
};

// The dialogs under their own names.
class TFormDump : public TFormMemoryTransfer {
 public:
  TFormDump(ServiceCommands& s, QString& lastXeepromFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::Dump, s, lastXeepromFile, parent) {}
};
class TFormLoad : public TFormMemoryTransfer {
 public:
  TFormLoad(ServiceCommands& s, QString& lastXeepromFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::Load, s, lastXeepromFile, parent) {}
};
class TFormVerify : public TFormMemoryTransfer {
 public:
  TFormVerify(ServiceCommands& s, QString& lastXeepromFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::Verify, s, lastXeepromFile, parent) {}
};
class TFormCalDump : public TFormMemoryTransfer {
 public:
  TFormCalDump(ServiceCommands& s, QString& lastCalFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::CalDump, s, lastCalFile, parent) {}
};
class TFormCalLoad : public TFormMemoryTransfer {
 public:
  TFormCalLoad(ServiceCommands& s, QString& lastCalFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::CalLoad, s, lastCalFile, parent) {}
};
class TFormCalVerify : public TFormMemoryTransfer {
 public:
  TFormCalVerify(ServiceCommands& s, QString& lastCalFile, QWidget* parent = nullptr)
      : TFormMemoryTransfer(MemoryDialogKind::CalVerify, s, lastCalFile, parent) {}
};

}  // namespace zentra
