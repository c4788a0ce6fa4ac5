#pragma once

#include <cstdint>
#include <vector>

#include "testing/scripted_gfx.h"

namespace vexa::testing {

// Scripts the driver's side of the mailbox at the program-start window (buffer 0x20000,
// acknowledge area 0x10000), so protocol tests read as the exchange they perform.
class MailboxScript {
 public:
  static constexpr uint32_t kBuffer = 0x20000;
  static constexpr uint32_t kAck = 0x10000;

  explicit MailboxScript(ScriptedGfx& gfx) : gfx_(gfx) {}

  // A command placed in the buffer: the bytes after the length first, the length byte last.
  MailboxScript& Command(const std::vector<uint8_t>& command);
  // `count` one-byte polls of the acknowledge area that find nothing posted.
  MailboxScript& EmptyPolls(int count);
  // A poll that finds the answer posted, and the read of the whole answer.
  MailboxScript& Answer(const std::vector<uint8_t>& answer);
  // The acknowledge area written back to 0 and read back as 0.
  MailboxScript& Clear();

 private:
  ScriptedGfx& gfx_;
};

}  // namespace vexa::testing
