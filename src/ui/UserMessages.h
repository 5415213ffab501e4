// The one way the window tells the user something in a modal box. Tests install a
// recorder instead of the real box, so a message never blocks a test run.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace zentra {

struct FileOpResult;

struct UserMessage {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

using MessageShower = std::function<void(QWidget* parent, const UserMessage& message)>;

// Shows a modal box with an OK button (or hands it to the installed shower).
void ShowUserMessage(QWidget* parent, const QString& title, const QString& text,
                     QMessageBox::Icon icon);

// Replaces how messages are shown; an empty shower restores the modal box. Returns the
// shower that was installed before.
// The box icon for a file operation's result: information when it completed, a warning
// when it completed with gaps, an error otherwise.
QMessageBox::Icon FileResultIcon(const FileOpResult& result);

MessageShower SetMessageShower(MessageShower shower);

// Runs work and turns an exception escaping it into an "ERROR" box instead of ending
// the program. Returns false when an exception was caught.
bool RunGuarded(const std::function<void()>& work);

}  // namespace zentra
