#include "transport/error_record.h"

#include <gtest/gtest.h>

namespace vexa {
namespace {

TEST(ErrorRecordTest, FirstErrorWinsUntilCleared) {
  ErrorRecord record;
  record.Record(-2, "first");
  record.Record(6, "second");
  EXPECT_EQ(record.code(), -2);
  EXPECT_EQ(record.text(), "first");

  record.Clear();
  EXPECT_EQ(record.code(), 0);
  EXPECT_EQ(record.text(), "");
  record.Record(6, "after clear");
  EXPECT_EQ(record.text(), "after clear");
}

TEST(ErrorRecordTest, TextOnlyRecordIsReplacedByTheNext) {
  ErrorRecord record;
  record.Record(0, "Got NULL msg!");
  record.Record(0, "Checksum error!");
  EXPECT_EQ(record.text(), "Checksum error!");
  record.Record(5, "vendor failure");
  EXPECT_EQ(record.code(), 5);
  EXPECT_EQ(record.text(), "vendor failure");
}

TEST(ErrorRecordTest, ResetCodeKeepsTheTextButReopensTheRecord) {
  ErrorRecord record;
  record.Record(70, "deferred");
  record.ResetCode();
  EXPECT_EQ(record.code(), 0);
  EXPECT_EQ(record.text(), "deferred");
  record.Record(3, "next failure");
  EXPECT_EQ(record.code(), 3);
  EXPECT_EQ(record.text(), "next failure");
}

}  // namespace
}  // namespace vexa
