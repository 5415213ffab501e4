#include "files/TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

namespace zentra {

namespace {
std::string PathText(const std::string& path) { return path.empty() ? "(no name)" : path; }
}  // namespace

TextFileStatus ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                             std::string& errorText) {
  bytes.clear();
  errorText.clear();
  QFile file(QString::fromStdString(path));
  if (!file.exists()) {
    errorText = "File not found: " + PathText(path);
    return TextFileStatus::NotFound;
  }
  if (QFileInfo(file).isDir() || !file.open(QIODevice::ReadOnly)) {
    errorText = "File not readable: " + PathText(path);
    return TextFileStatus::Unreadable;
  }
  // Read one byte past the limit so that an oversized file is recognised even where
  // the size is not known in advance (pipes, special files).
  const QByteArray data = file.read(static_cast<qint64>(maxBytes) + 1);
  if (data.size() > static_cast<qsizetype>(maxBytes)) {
    errorText = "File too large (more than " + std::to_string(maxBytes / (1024 * 1024)) +
                " MB): " + PathText(path);
    return TextFileStatus::TooLarge;
  }
  if (file.error() != QFileDevice::NoError) {
    errorText = "File not readable: " + PathText(path);
    return TextFileStatus::Unreadable;
  }
  bytes.assign(data.constData(), static_cast<size_t>(data.size()));
  return TextFileStatus::Ok;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes, std::string& errorText) {
  errorText.clear();
  QSaveFile file(QString::fromStdString(path));
  // A folder that takes no new file (read-only, while the file itself may be written)
  // has no room for the temporary file: the file is then written in place, as the
  // user asked for it, rather than refused.
  file.setDirectWriteFallback(true);
  if (!file.open(QIODevice::WriteOnly)) {
    errorText = "File not writable: " + PathText(path);
    return false;
  }
  if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
      !file.commit()) {
    errorText = "File not written: " + PathText(path);
    return false;
  }
  return true;
}

}  // namespace zentra
