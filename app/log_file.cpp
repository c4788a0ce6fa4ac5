#include "app/log_file.h"

#include <ctime>
#include <filesystem>
#include <fstream>

#include "app/product.h"
#include "util/utf8_path.h"

namespace vexa {

void LogFile::Append(std::string_view text) const {
  if (text.empty()) return;
  std::ofstream file(PathFromUtf8(path_), std::ios::binary | std::ios::app);
  if (!file) return;
  file.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void LogFile::Delete() const {
  std::error_code error;
  std::filesystem::remove(PathFromUtf8(path_), error);
}

std::string LocalDateTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[128] = {};
  std::strftime(text, sizeof text, "%c", &local);
  return text;
}

void WriteLogHeader(const LogFile& log, const std::string& caption, const std::string& dateTime) {
  log.Append(caption + "\r\n");
  log.Append("====================================\r\n");
  log.Append(dateTime);
  log.Append("\r\n====================================\r\n");
}

void StartToolLog(const LogFile& log, bool keepOldLog) {
  if (!keepOldLog) log.Delete();
  WriteLogHeader(log, ProductCaption(), LocalDateTimeText());
}

void WriteRunSeparator(const LogFile& log, const std::string& dateTime) {
  log.Append("-------------------------------------\r\n");
  log.Append(dateTime);
  log.Append("\r\n-------------------------------------\r\n");
}

}  // namespace vexa
