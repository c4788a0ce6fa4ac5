#include "transport/adapter_detection.h"

#include "util/text_format.h"

namespace vexa {

namespace {

std::string AdapterTag(GfxLib& backend) {
  const std::string adapter = backend.GetAdapterName();
  if (adapter.empty()) return ": ";
  const std::string driver = backend.GetDriverVersion();
  const std::string version = driver.empty() ? std::string() : "  Driver ver: " + driver;
  return " [" + adapter + version + "]: ";
}

}  // namespace

std::vector<GfxLib*> AdapterDetector::Candidates() const {
  if (backends_.simulator != nullptr) return {backends_.simulator};
  std::vector<GfxLib*> candidates;
  for (const CandidateBackend& backend : backends_.system) {
    if (type_ == AdapterType::kAuto || backend.type == type_) candidates.push_back(backend.gfx);
  }
  return candidates;
}

int32_t AdapterDetector::DetectAdapter(uint32_t* displayId, uint8_t ddcAddr, std::string* report) {
  *report = "Graphics adapter initialization:\r\n";
  if (IsAutomatic()) {
    *report += StrPrintf("Auto scan graphics adapter (DDC2bi addr: 0x%X)...\r\n", ddcAddr);
  }
  GfxLib* firstOpened = nullptr;
  int32_t result = detect_result::kInitFailed;
  for (GfxLib* backend : Candidates()) {
    if (backend == nullptr) continue;
    active_ = backend;
    const int32_t opened = backend->Initialize();
    *report += "  " + backend->GetVendorName();
    if (opened != gfx_status::kSuccess) {
      result = detect_result::kInitFailed;
      *report += ": " + backend->GetErrorText() + "\r\n";
      active_ = nullptr;
      continue;
    }
    if (firstOpened == nullptr) firstOpened = backend;
    std::string scanReport;
    const int32_t scanned = backend->ScanPorts(static_cast<int32_t>(ProbeMode::kDdc2biQuery),
                                               displayId, ddcAddr, &scanReport);
    *report += AdapterTag(*backend) + "Init done\r\n" + scanReport;
    if (scanned == gfx_status::kSuccess) return detect_result::kConnected;
    result = detect_result::kPortNotFound;
  }
  // Automatically, a last backend that failed to open leaves the first one that opened.
  if (result == detect_result::kInitFailed && IsAutomatic()) active_ = firstOpened;
  return result;
}

}  // namespace vexa
