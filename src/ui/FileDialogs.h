// The file dialogs and the yes/no question of the file operations, each behind one
// replaceable function as ShowUserMessage is: tests answer them without a dialog.
#pragma once

#include <QString>
#include <functional>

class QWidget;

namespace zentra {

struct FileRequest {
  enum class Kind { Open, Save };
  Kind kind = Kind::Open;
  QString filter;         // "QDF files (*.qdf)", ...
  QString defaultSuffix;  // added when the name typed has none
};

// The chosen file, or an empty string when the dialog was cancelled. The save dialog
// asks no question of its own about an existing file: the caller does.
using FileChooser = std::function<QString(QWidget* parent, const FileRequest& request)>;
QString ChooseFile(QWidget* parent, const FileRequest& request);
FileChooser SetFileChooser(FileChooser chooser);

// Asked before a save replaces an existing file.
inline constexpr const char* kOverwriteTitle = "Warning!";
inline constexpr const char* kOverwriteQuestion = "File exist Overwrite?\r\nYES = Overwrite\r\nNO = Cancel";

// A question with Yes and No buttons and the information icon; true for Yes.
using QuestionAsker =
    std::function<bool(QWidget* parent, const QString& title, const QString& text)>;
bool AskYesNo(QWidget* parent, const QString& title, const QString& text);
QuestionAsker SetQuestionAsker(QuestionAsker asker);

}  // namespace zentra
