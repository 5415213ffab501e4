#include "ui/FileDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace zentra {

namespace {
FileChooser& InstalledChooser() {
  static FileChooser chooser;
  return chooser;
}
QuestionAsker& InstalledAsker() {
  static QuestionAsker asker;
  return asker;
}
}  // namespace

QString ChooseFile(QWidget* parent, const FileRequest& request) {
  if (InstalledChooser()) return InstalledChooser()(parent, request);
  QFileDialog dialog(parent);
  dialog.setNameFilter(request.filter);
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (request.kind == FileRequest::Kind::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().constFirst();
}

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser previous = std::move(InstalledChooser());
  InstalledChooser() = std::move(chooser);
  return previous;
}

bool AskYesNo(QWidget* parent, const QString& title, const QString& text) {
  if (InstalledAsker()) return InstalledAsker()(parent, title, text);
  QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Yes | QMessageBox::No,
                  parent);
  return box.exec() == QMessageBox::Yes;
}

QuestionAsker SetQuestionAsker(QuestionAsker asker) {
  QuestionAsker previous = std::move(InstalledAsker());
  InstalledAsker() = std::move(asker);
  return previous;
}

}  // namespace zentra
