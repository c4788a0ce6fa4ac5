#include "testing/mailbox_script.h"

namespace vexa::testing {

MailboxScript& MailboxScript::Command(const std::vector<uint8_t>& command) {
  gfx_.ExpectNativeWrite(kBuffer + 1, std::vector<uint8_t>(command.begin() + 1, command.end()))
      .ExpectNativeWrite(kBuffer, {command[0]});
  return *this;
}

MailboxScript& MailboxScript::EmptyPolls(int count) {
  if (count > 0) gfx_.ExpectNativeRead(kAck, {0x00}).Times(count);
  return *this;
}

MailboxScript& MailboxScript::Answer(const std::vector<uint8_t>& answer) {
  gfx_.ExpectNativeRead(kAck, {answer[0]}).ExpectNativeRead(kAck, answer);
  return *this;
}

MailboxScript& MailboxScript::Clear() {
  gfx_.ExpectNativeWrite(kAck, {0x00}).ExpectNativeRead(kAck, {0x00});
  return *this;
}

}  // namespace vexa::testing
