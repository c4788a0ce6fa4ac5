#include "frontends/model/dialog_controls.h"

#include <gtest/gtest.h>

namespace vexa::ui {
namespace {

TEST(DialogControls, FileCheckCountsOnlyAfterAConnectedDetection) {
  DialogControls controls;
  controls.FilesChecked(true);
  EXPECT_FALSE(controls.startEnabled());

  controls.AdapterDetected(true);
  EXPECT_TRUE(controls.startEnabled());
  EXPECT_TRUE(controls.getFwVersionEnabled());
  controls.FilesChecked(false);
  EXPECT_FALSE(controls.startEnabled());
  EXPECT_TRUE(controls.getFwVersionEnabled());

  // A detection that connects enables "Start" whatever the last check said.
  controls.AdapterDetected(true);
  EXPECT_TRUE(controls.startEnabled());
  controls.AdapterDetected(false);
  EXPECT_FALSE(controls.startEnabled());
  EXPECT_FALSE(controls.getFwVersionEnabled());
  EXPECT_TRUE(controls.refreshEnabled());
}

TEST(DialogControls, RunLocksEverythingAndIgnoresFileChecks) {
  DialogControls controls;
  controls.AdapterDetected(true);
  controls.RunStarted();
  EXPECT_FALSE(controls.startEnabled());
  EXPECT_FALSE(controls.getFwVersionEnabled());
  EXPECT_FALSE(controls.refreshEnabled());
  EXPECT_FALSE(controls.browseEnabled());
  EXPECT_FALSE(controls.closeAllowed());

  // Editing a path during the run must not offer a second run.
  controls.FilesChecked(true);
  EXPECT_FALSE(controls.startEnabled());

  controls.RunEnded();
  EXPECT_TRUE(controls.startEnabled());
  EXPECT_TRUE(controls.getFwVersionEnabled());
  EXPECT_TRUE(controls.refreshEnabled());
  EXPECT_TRUE(controls.browseEnabled());
  EXPECT_TRUE(controls.closeAllowed());
}

TEST(DialogControls, JobLocksLikeARunButAllowsClosing) {
  DialogControls controls;
  controls.AdapterDetected(true);
  controls.JobStarted();
  EXPECT_FALSE(controls.startEnabled());
  EXPECT_FALSE(controls.getFwVersionEnabled());
  EXPECT_FALSE(controls.refreshEnabled());
  EXPECT_FALSE(controls.browseEnabled());
  EXPECT_TRUE(controls.closeAllowed());
  controls.FilesChecked(true);
  EXPECT_FALSE(controls.startEnabled());

  controls.JobEnded();
  EXPECT_TRUE(controls.startEnabled());
  EXPECT_TRUE(controls.getFwVersionEnabled());
  EXPECT_TRUE(controls.refreshEnabled());
}

TEST(DialogControls, OneStepPromptCanWithdrawUpdate) {
  DialogControls controls;
  controls.AdapterDetected(true);
  controls.UpdateNotAllowed();
  EXPECT_FALSE(controls.startEnabled());
  EXPECT_TRUE(controls.closeAllowed());
}

}  // namespace
}  // namespace vexa::ui
