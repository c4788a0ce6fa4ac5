#pragma once

#include <string>
#include <string_view>

namespace vexa {

// The run log both front ends append to: opened, appended and closed for every text, so that
// it is complete on disk whatever happens to the program.
class LogFile {
 public:
  // path is UTF-8; a relative path lies in the current working directory.
  explicit LogFile(std::string path) : path_(std::move(path)) {}

  // Appends text (UTF-8, no line end added). A file that cannot be opened is skipped silently:
  // the log must never stop a run.
  void Append(std::string_view text) const;
  // Removes the file; a missing file is no error.
  void Delete() const;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// The local date and time as the log shows it (the C library's "%c" form).
std::string LocalDateTimeText();

// Start-up header: the caption line and the date between two lines of 36 '='.
void WriteLogHeader(const LogFile& log, const std::string& caption, const std::string& dateTime);

// A front end's start-up: deletes the old log unless it is to be kept, then writes the header
// with the product caption and the local date and time.
void StartToolLog(const LogFile& log, bool keepOldLog);

// Written before each run: the date between two lines of 37 '-'.
void WriteRunSeparator(const LogFile& log, const std::string& dateTime);

}  // namespace vexa
