#include "protocol/query_device.h"

#include "protocol/module.h"
#include "protocol/packets.h"

namespace HID {

std::optional<int32_t> BytesPerAddressOfFamily(int32_t family) {
  switch (family) {
    case 1:
      return 1;
    case 2:
      return 2;
    case 3:
      return 1;
    default:
      return std::nullopt;
  }
}

QueryEvaluation EvaluateQueryDeviceReply(const framework::MemoryBlock& reply) {
  if (reply.Size() < 1) return QueryEvaluation::TooShort;
  if (reply.UInt8Value(0) != QUERY_DEVICE) return QueryEvaluation::WrongAnswer;
  if (reply.Size() <= kQueryReplyDeviceFamilyOffset) return QueryEvaluation::TooShort;
  BytesPerPacket = reply.UInt8Value(kQueryReplyBytesPerPacketOffset);
  DeviceFamily = reply.UInt8Value(kQueryReplyDeviceFamilyOffset);
  const std::optional<int32_t> perAddress = BytesPerAddressOfFamily(DeviceFamily);
  if (!perAddress) return QueryEvaluation::UnknownFamily;
  bytesPerAddress = *perAddress;
  return QueryEvaluation::Known;
}

}  // namespace HID
