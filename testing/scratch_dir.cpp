#include "testing/scratch_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>

#include "util/binary_file.h"
#include "util/utf8_path.h"

namespace vexa::testing {

ScratchDir::ScratchDir() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string("vexa_") + test->test_suite_name() + "." + test->name() + "." +
                     std::to_string(::getpid());
  std::replace(name.begin(), name.end(), '/', '_');  // parameterised names hold slashes
  path_ = std::filesystem::path(::testing::TempDir()) / name;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::WriteFile(const std::string& name, std::span<const uint8_t> bytes) const {
  const std::filesystem::path file = path_ / PathFromUtf8(name);
  EXPECT_TRUE(WriteBinaryFile(file, bytes)) << "cannot write " << file;
  return Utf8FromPath(file);
}

}  // namespace vexa::testing
