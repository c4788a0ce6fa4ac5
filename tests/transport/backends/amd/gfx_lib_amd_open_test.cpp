#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "engine/identification/chip_probe.h"
#include "testing/sim_adl.h"
#include "transport/backends/amd/gfx_lib_amd.h"
#include "transport/backends/amd/system_adl_api.h"
#include "util/clock.h"

namespace vexa {
namespace {

// One way the driver's library is there, or is not, and what Initialize makes of it.
struct OpenCase {
  const char* name;
  friend void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }
  std::set<std::string> libraryFiles;
  std::optional<AdlEntryPoint> missingEntryPoint;
  int32_t createResult;
  int32_t status;
  // Empty on success.
  const char* errorText;
  const char* loadedLibrary;
};

class AmdOpen : public ::testing::TestWithParam<OpenCase> {};

// Every failure is the backend's own (code -2), with the step's text; on success the library
// was started for connected adapters only.
TEST_P(AmdOpen, LoadsResolvesAndStartsTheLibrary) {
  const OpenCase& c = GetParam();
  SimAdlMachine machine;
  machine.libraryFiles = c.libraryFiles;
  if (c.missingEntryPoint) machine.missingEntryPoints.insert(*c.missingEntryPoint);
  machine.createResult = c.createResult;
  VirtualClock clock;
  SimAdl adl(machine, clock);
  GfxLibAmd amd(adl, clock, IspChipProbe());

  EXPECT_EQ(amd.Initialize(), c.status);
  EXPECT_EQ(amd.GetErrorText(), c.errorText);
  EXPECT_EQ(amd.GetErrorCode(), c.status == gfx_status::kSuccess ? 0 : GfxLibAmd::kOwnErrorCode);
  EXPECT_EQ(adl.loadedLibrary(), c.loadedLibrary);
  const bool started = c.status == gfx_status::kSuccess;
  EXPECT_EQ(adl.connectedAdaptersOnly(), started ? std::optional<int32_t>(1) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, AmdOpen,
    ::testing::Values(
        OpenCase{
            "BothLibraryNames", {"atiadlxx.dll", "atiadlxy.dll"}, {}, 0, 0, "", "atiadlxx.dll"},
        OpenCase{"OnlyTheSecondName", {"atiadlxy.dll"}, {}, 0, 0, "", "atiadlxy.dll"},
        OpenCase{"NoLibrary", {}, {}, 0, 6, "Loading DLL... failed!", ""},
        OpenCase{"NoDestroy",
                 {"atiadlxx.dll"},
                 AdlEntryPoint::kMainControlDestroy,
                 0,
                 6,
                 "Init handles... failed!",
                 "atiadlxx.dll"},
        OpenCase{"NoActiveQuery",
                 {"atiadlxx.dll"},
                 AdlEntryPoint::kAdapterActiveGet,
                 0,
                 6,
                 "Init handles... failed!",
                 "atiadlxx.dll"},
        OpenCase{"NoNativeAux",
                 {"atiadlxx.dll"},
                 AdlEntryPoint::kDisplayNativeAuxChannelAccess,
                 0,
                 6,
                 "Getting Native AUX ch... failed!",
                 "atiadlxx.dll"},
        OpenCase{"NoDdcBlockAccess",
                 {"atiadlxx.dll"},
                 AdlEntryPoint::kDisplayDdcBlockAccessGet,
                 0,
                 6,
                 "Getting DDC lock access... failed!",
                 "atiadlxx.dll"},
        OpenCase{"LibraryRefusesToStart",
                 {"atiadlxx.dll"},
                 {},
                 -1,
                 6,
                 "Init ADL... failed!",
                 "atiadlxx.dll"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexa
