#include "app/KivLink.h"

#include <algorithm>
#include <limits>

#include "app/Mbusfun.h"
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

bool TKivLink::Exchange(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
                        std::string& error)
{
    replyLength = 0;
    error.clear();
    if (request.size() < 4 || reply.size() < 4)
        return false;
    if (!FSettings.MBTCPComm) {
        WaitMs(FSettings.TimeSilence);
        if (!FRsd.WriteFrame(request, request.size())) {
            error = FRsd.Error();
            return false;
        }
        WaitMs(FSettings.TimeSilence);
        if (!FRsd.ReadFrame(reply, replyLength)) {
            error = FRsd.Error();
            return false;
        }
        return true;
    }
    // TCP carries the PDU alone: the address travels as the unit id, and no check.
    size_t pduLength = 0;
    const auto pdu = request.subspan(1, request.size() - 3);
    if (!FTcp.SendAndWait(FSettings.MBTCPIP, FSettings.MBTCPPort, request[0], pdu,
                          reply.subspan(1, reply.size() - 3), 2 * FSettings.Time_Out, pduLength)) {
        // The protocol line stays as it always was; the reason goes where a terminal sees it.
        DebugOutput("Modbus TCP " + FSettings.MBTCPIP + ": " + FTcp.LastError());
        return false;
    }
    reply[0] = request[0];
    replyLength = pduLength + 3;
    AddCRC(reply, replyLength - 2);
    return true;
}

bool TKivLink::SettleBeforeRetry()
{
    if (FSettings.MBTCPComm)
        return true;
    constexpr int LimitInTimeouts = 5;
    const int timeout = std::clamp(FRsd.ReadTotalTimeoutConstant(), 0, std::numeric_limits<int>::max() / LimitInTimeouts);
    return FRsd.WaitLineQuiet(timeout, LimitInTimeouts * timeout);
}
