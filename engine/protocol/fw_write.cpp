#include "engine/protocol/fw_write.h"

#include <algorithm>
#include <array>
#include <string>

#include "chip/chip_table.h"
#include "engine/engine_log.h"
#include "engine/isp_status.h"
#include "engine/protocol/dpcd_access.h"
#include "engine/protocol/dpcd_mailbox.h"
#include "util/text_format.h"

namespace vexa {

namespace {

constexpr uint16_t kCrcPolynomial = 0x1021;
constexpr uint16_t kCrcInitial = 0x1021;
constexpr size_t kBlockTrailer = 4;  // 00 00, CRC high, CRC low
constexpr uint32_t kAddressRecordSize = 8;
// The address record and the block-start overhead leave dpcdBufferSize - 8 image bytes.
constexpr uint32_t kBlockOverhead = 8;

constexpr uint16_t kBeforeWriteMs = 15;
constexpr int kHalfFreeReads = 100;
constexpr uint16_t kHalfBusyMs = 30;
constexpr uint16_t kHalfReadFailedMs = 10;
constexpr uint16_t kAddressFailedMs = 10;

// Progress estimate: 4 KiB blocks whose first 16 bytes show data, 512-byte sectors in them.
constexpr int64_t kEstimateBlock = 0x1000;
constexpr int64_t kEstimateSector = 0x200;
constexpr size_t kEstimateProbe = 16;
constexpr int64_t kFirstFamilyWorkDiscount = 0x24000;
constexpr uint16_t kKeepBootCodeEraseBudget = 5200;
constexpr uint16_t kEraseBudget = 2200;

std::array<uint8_t, kAddressRecordSize> AddressRecord(uint32_t flashAddr, uint32_t k) {
  return {0x00,
          static_cast<uint8_t>(flashAddr >> 16),
          static_cast<uint8_t>(flashAddr >> 8),
          static_cast<uint8_t>(flashAddr),
          static_cast<uint8_t>(k >> 24),
          static_cast<uint8_t>(k >> 16),
          static_cast<uint8_t>(k >> 8),
          static_cast<uint8_t>(k)};
}

bool Fail(IspContext& ctx, int32_t status, uint32_t offset, const std::string& what) {
  SetFirstError(ctx, status, StrPrintf("ExecuteFwWriteBlock (0x%X): ", offset) + what);
  return false;
}

// Waits until the first buffer half is free: a busy half or a failed read is tried again after
// a pause, up to 100 reads. Returns 0, or the last read's status (7 when it succeeded).
int32_t WaitFirstHalfFree(IspContext& ctx) {
  int32_t status = isp_status::kOk;
  for (int read = 0; read < kHalfFreeReads; ++read) {
    status = ReadDpcdByte(ctx, ctx.halfStatusAddr[0]);
    if (status == isp_status::kOk && ctx.replyBuffer[0] == 0) return isp_status::kOk;
    DelayMs(ctx.clock, status == isp_status::kOk ? kHalfBusyMs : kHalfReadFailedMs);
  }
  return status != isp_status::kOk ? status : isp_status::kUnexpectedReply;
}

// Announces one block to the driver and places its address record in the first half.
bool AnnounceBlock(IspContext& ctx, uint32_t offset, uint32_t flashAddr, uint32_t k) {
  int32_t status = WriteMailboxCommand(ctx, kBlockStartCommand);
  if (status != isp_status::kOk) return Fail(ctx, status, offset, "Sending cmd failed!");
  // The driver's status byte is read to pace the command; its value is not examined.
  status = ReadDpcdByte(ctx, ctx.ackBufferAddr);
  if (status != isp_status::kOk) return Fail(ctx, status, offset, "Reading cmd status failed!");
  status = WaitFirstHalfFree(ctx);
  if (status != isp_status::kOk) return Fail(ctx, status, offset, "Checking F/W buffer failed!");

  const auto record = AddressRecord(flashAddr, k);
  const uint8_t recordLength = kAddressRecordSize;
  status = WriteDpcd(ctx, ctx.dpcdBufferAddr, record);
  if (status == isp_status::kOk) {
    status = WriteDpcd(ctx, ctx.halfStatusAddr[0], std::span(&recordLength, 1));
  }
  if (status != isp_status::kOk) {
    DelayMs(ctx.clock, kAddressFailedMs);
    return Fail(ctx, status, offset, "Sending F/W address failed!");
  }
  return true;
}

// Writes one region and logs it between "<what>... started" and "... done!" / "... failed!".
bool WriteRegion(IspContext& ctx, const char* what, std::span<const uint8_t> data, uint32_t length,
                 uint32_t imageOffset) {
  AddIspLog(ctx, StrPrintf("%s... started\r\n", what));
  const bool written = ExecuteFwWriteBlock(ctx, data, length, imageOffset);
  AddIspLog(ctx, StrPrintf(written ? "%s... done!\r\n" : "%s... failed!\r\n", what));
  return written;
}

// True when any of the first 16 bytes at offset is not 0xFF.
bool ShowsData(std::span<const uint8_t> image, int64_t offset) {
  const auto begin = image.begin() + offset;
  const auto end = begin + static_cast<int64_t>(std::min(kEstimateProbe, image.size() - offset));
  return std::any_of(begin, end, [](uint8_t byte) { return byte != 0xFF; });
}

// Where the data of the image ends, judged from the highest 4 KiB block that shows data below
// q and, within it, its highest 512-byte sector that does.
int64_t EstimateDataEnd(std::span<const uint8_t> image, int64_t s, int64_t q) {
  const int64_t blocks = s / kEstimateBlock;
  for (int64_t i = 0; i < blocks; ++i) {
    const int64_t block = q - i * kEstimateBlock;
    if (block < 0) break;
    if (block >= static_cast<int64_t>(image.size()) || !ShowsData(image, block)) continue;
    for (int64_t sector = block + kEstimateBlock - kEstimateSector; sector >= block;
         sector -= kEstimateSector) {
      if (sector < static_cast<int64_t>(image.size()) && ShowsData(image, sector)) {
        return sector + kEstimateSector;
      }
    }
  }
  return 0;
}

uint16_t BootCodeAllowance(const IspTarget& target) {
  if (target.bootCodeAction != BootCodeAction::kUpdateBootCode) return 0;
  return TraitsOf(target.fileChipType).bootCodeUpdateWork;
}

}  // namespace

uint16_t FwBlockCrc(std::span<const uint8_t> bytes) {
  uint16_t crc = kCrcInitial;
  for (uint8_t byte : bytes) {
    crc ^= static_cast<uint16_t>(byte << 8);
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x8000) ? static_cast<uint16_t>((crc << 1) ^ kCrcPolynomial)
                           : static_cast<uint16_t>(crc << 1);
    }
  }
  return crc;
}

bool PrepareFwBlock(IspContext& ctx, std::span<const uint8_t> data, int k, int& n, bool& notBlank) {
  if (data.empty() || k < 1 || static_cast<size_t>(k) > data.size() ||
      static_cast<size_t>(k) + kBlockTrailer > ctx.transferBuffer.size()) {
    return false;
  }
  const auto block = data.first(static_cast<size_t>(k));
  uint8_t* out = ctx.transferBuffer.data();
  std::copy(block.begin(), block.end(), out);
  const uint16_t crc = FwBlockCrc(std::span<const uint8_t>(out, block.size()));
  out[k] = 0x00;
  out[k + 1] = 0x00;
  out[k + 2] = static_cast<uint8_t>(crc >> 8);
  out[k + 3] = static_cast<uint8_t>(crc);
  n = k + static_cast<int>(kBlockTrailer);
  notBlank = std::any_of(block.begin(), block.end(), [](uint8_t byte) { return byte != 0xFF; });
  return true;
}

bool ExecuteFwWriteBlock(IspContext& ctx, std::span<const uint8_t> data, uint32_t length,
                         uint32_t imageOffset) {
  // The lengths come from the file and the mailbox fields from the chip; a region that does not
  // lie inside its image, or a buffer without room for a block, writes nothing.
  if (length > data.size()) {
    SetFirstError(ctx, isp_status::kInvalidParameter,
                  StrPrintf("ExecuteFwWriteBlock (0x%X): Region beyond the image!", imageOffset));
    return false;
  }
  if (ctx.dpcdBufferSize <= kBlockOverhead) {
    SetFirstError(ctx, isp_status::kInvalidParameter,
                  StrPrintf("ExecuteFwWriteBlock (0x%X): Buffer too small!", imageOffset));
    return false;
  }
  DelayMs(ctx.clock, kBeforeWriteMs);
  const uint32_t blockSize = ctx.dpcdBufferSize - kBlockOverhead;
  for (uint32_t pos = 0; pos < length;) {
    const uint32_t k = std::min(length - pos, blockSize);
    const uint32_t offset = imageOffset + pos;
    int n = 0;
    bool notBlank = false;
    if (!PrepareFwBlock(ctx, data.subspan(pos), static_cast<int>(k), n, notBlank)) {
      return Fail(ctx, isp_status::kInvalidParameter, offset, "Invalid block!");
    }
    if (notBlank) {
      if (!AnnounceBlock(ctx, offset, ctx.flashBaseAddr + offset, k)) return false;
      std::string payloadError;
      const int32_t status = SendFwPayload(ctx, n, payloadError);
      if (status != isp_status::kOk) {
        return Fail(ctx, status, offset, "Sending F/W payload: " + payloadError);
      }
      AdvanceProgress(ctx, k);
    }
    pos += k;
  }
  return true;
}

bool WriteFirmware(IspContext& ctx) {
  const uint32_t bootCodeSize = BootCodeSize(ctx.currentChipType);
  const uint32_t imageSize = ctx.currentFwImageSize;
  const std::span<const uint8_t> image = ctx.currentFwImage;

  if (ctx.currentBootCodeAction == BootCodeAction::kWriteWholeImage) {
    return WriteRegion(ctx, "Writing F/W", image, imageSize, 0);
  }
  // Both other actions write the application region in front of the boot code.
  if (imageSize < bootCodeSize) {
    SetFirstError(ctx, isp_status::kInvalidParameter,
                  StrPrintf("WriteFirmware: Image smaller than its boot code! (0x%X)", imageSize));
    AddIspLog(ctx, "Writing F/W... failed!\r\n");
    return false;
  }
  const uint32_t appSize = imageSize - bootCodeSize;
  if (ctx.currentBootCodeAction == BootCodeAction::kUpdateBootCode &&
      !WriteRegion(ctx, "Writing boot-code", ctx.currentBootCodeImage, bootCodeSize, appSize)) {
    return false;
  }
  return WriteRegion(ctx, "Writing App F/W", image, appSize, 0);
}

int32_t EstimateTargetWork(IspContext& ctx, const IspTarget& target) {
  const std::span<const uint8_t> image =
      target.fwImage ? std::span<const uint8_t>(*target.fwImage) : std::span<const uint8_t>();
  const int64_t d = target.driverLength;
  int64_t s = target.fwImageSize;
  int64_t b = 0;
  if (target.progBootCode == 1 && target.fileBootCodeVersion > 0) {
    b = BootCodeSize(target.onBoardChipType);
    s -= b;
  }
  // The boot code is subtracted a second time here; the estimate only scales the bar.
  const int64_t e = EstimateDataEnd(image, s, s - b - kEstimateBlock);
  int64_t w = d + e;
  if (IsFirstFamily(target.fileChipType)) w = std::max<int64_t>(w - kFirstFamilyWorkDiscount, 0);

  ctx.eraseProgressBudget = target.bootCodeAction == BootCodeAction::kKeepBootCode
                                ? kKeepBootCodeEraseBudget
                                : kEraseBudget;
  ctx.progressTotal.fetch_add(BootCodeAllowance(target) + ctx.eraseProgressBudget);
  return static_cast<int32_t>(w);
}

}  // namespace vexa
