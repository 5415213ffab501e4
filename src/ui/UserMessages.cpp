#include "ui/UserMessages.h"

#include "files/FileProgress.h"

#include <exception>

namespace zentra {

namespace {
MessageShower& InstalledShower() {
  static MessageShower shower;
  return shower;
}
}  // namespace

void ShowUserMessage(QWidget* parent, const QString& title, const QString& text,
                     QMessageBox::Icon icon) {
  const UserMessage message{title, text, icon};
  if (InstalledShower()) {
    InstalledShower()(parent, message);
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

MessageShower SetMessageShower(MessageShower shower) {
  MessageShower previous = std::move(InstalledShower());
  InstalledShower() = std::move(shower);
  return previous;
}

bool RunGuarded(const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const std::exception& e) {
    ShowUserMessage(nullptr, "ERROR", QString::fromLocal8Bit(e.what()), QMessageBox::Critical);
  } catch (...) {
    ShowUserMessage(nullptr, "ERROR", "An unexpected error occurred.", QMessageBox::Critical);
  }
  return false;
}

QMessageBox::Icon FileResultIcon(const FileOpResult& result) {
  if (result.title == kTitleCompleted) return QMessageBox::Information;
  if (result.title == kTitleWarning) return QMessageBox::Warning;
  return QMessageBox::Critical;
}

}  // namespace zentra
