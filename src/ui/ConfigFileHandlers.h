// The File menu's "Save User Configuration" and "Load User Configuration": the
// transmitter's settings, menu flags, name and presets to and from a .qcf file through
// the files layer. The load asks which groups to apply (TformConfiguration), applies
// them with the edit lock held, then has every view read the transmitter again.
#pragma once

#include <QObject>

#include "files/FileProgress.h"

class QAction;

namespace zentra {

class WindowState;

class ConfigFileHandlers : public QObject {
  Q_OBJECT

 public:
  // Wires the two menu items, which stay enabled: without a transmitter they answer
  // "Connect a device!".
  ConfigFileHandlers(WindowState& state, QAction* loadItem, QAction* saveItem,
                     QObject* parent = nullptr);

  void mnuSaveConfigClick();
  void mnuLoadConfigClick();

  // The outcome of the last save or load.
  const FileOpResult& lastResult() const { return last_; }

 private:
  void Show(const FileOpResult& result);

  WindowState& state_;
  FileOpResult last_;
};

}  // namespace zentra
