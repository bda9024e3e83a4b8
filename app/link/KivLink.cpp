#include "app/link/KivLink.h"

#include <algorithm>
#include <limits>

#include "app/link/Mbusfun.h"
#include "platform/SysUtil.h"
#include "platform/Wait.h"

bool TKivLink::SetSettings(const TCommSettings& settings)
{
  if (Busy())
    return false;
  if (settings.MBTCPComm != FSettings.MBTCPComm || settings.MBTCPIP != FSettings.MBTCPIP ||
      settings.MBTCPPort != FSettings.MBTCPPort)
    FTcp.Close();
  FSettings = settings;
  FPolicy = TTransactionPolicy::Of(settings);
  return true;
}

bool TKivLink::Acquire(const void* holder, TLinkActivity activity)
{
  if (Busy()) {
    if (holder != FHolder)
      return false;
    ++FDepth;
    return true;
  }
  FActivity = activity == TLinkActivity::Idle ? TLinkActivity::Reading : activity;
  FHolder = holder;
  FDepth = 1;
  if (OnBusyChanged)
    OnBusyChanged();
  return true;
}

void TKivLink::Release(const void* holder)
{
  if (!Busy() || holder != FHolder || --FDepth > 0)
    return;
  FActivity = TLinkActivity::Idle;
  FHolder = nullptr;
  if (OnBusyChanged)
    OnBusyChanged();
}

ITransport& TKivLink::Transport()
{
  if (FTransport)
    return *FTransport;
  if (FSettings.MBTCPComm)
    return FTcpTransport;
  return FRtuTransport;
}

TTransactionPolicy TTransactionPolicy::Of(const TCommSettings& settings)
{
  TTransactionPolicy policy;
  policy.SilenceBeforeRequest = settings.TimeSilence;
  policy.SilenceBeforeReply = settings.TimeSilence;
  policy.SilenceAfterWriteChunk = settings.TimeSilence;
  policy.SilenceAfterEventPage = settings.TimeSilence;
  return policy;
}

int TTransactionPolicy::TcpWaitMs(int timeOut) const
{
  const int64_t wait = int64_t(TcpWaitFactor) * int64_t(timeOut);
  return int(std::clamp<int64_t>(wait, 0, std::numeric_limits<int>::max()));
}

bool TRtuTransport::Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
                         std::string& error)
{
  WaitMs(FPolicy.SilenceBeforeRequest);
  if (!FRsd.WriteFrame(request, request.size())) {
    error = FRsd.Error();
    return false;
  }
  WaitMs(FPolicy.SilenceBeforeReply);
  if (!FRsd.ReadFrame(reply, replyLength)) {
    error = FRsd.Error();
    return false;
  }
  return true;
}

bool TRtuTransport::Settle()
{
  const int limit = std::max(1, FPolicy.QuietLimitInTimeouts);
  const int timeout = std::clamp(FRsd.ReadTotalTimeoutConstant(), 0, std::numeric_limits<int>::max() / limit);
  return FRsd.WaitLineQuiet(timeout, limit * timeout);
}

bool TTcpTransport::Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
                         std::string& /*error*/)
{
  size_t pduLength = 0;
  const auto pdu = request.subspan(1, request.size() - 3);
  if (!FClient.SendAndWait(FSettings.MBTCPIP, FSettings.MBTCPPort, request[0], pdu,
                           reply.subspan(1, reply.size() - 3), FPolicy.TcpWaitMs(FSettings.Time_Out),
                           pduLength)) {
    // The protocol line stays as it always was; the reason goes where a terminal sees it.
    DebugOutput("Modbus TCP " + FSettings.MBTCPIP + ": " + FClient.LastError());
    return false;
  }
  reply[0] = request[0];
  replyLength = pduLength + 3;
  AddCRC(reply, replyLength - 2);
  return true;
}
