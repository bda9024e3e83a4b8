#pragma once
// A transport for protocol tests that need no controller: each attempt plays the next step
// of a script, and every attempt and settle is logged with the time of the pump's clock.

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/link/Mbusfun.h"
#include "platform/Wait.h"

class TFakeTransport : public ITransport {
public:
  enum class TKind {
    Fail,          // no reply; the attempt's error text is `Error`
    Registers,     // a function 3 reply with `Bytes` bytes of data
    Written,       // a function 16 reply echoing the request's start and count
    Exception,     // an exception reply (the end of the event register)
    OtherAddress,  // a function 3 reply with `Bytes` bytes, from another controller
  };
  struct TStep {
    TKind Kind = TKind::Fail;
    int Bytes = 0;
    std::string Error;
  };

  // Played in order; once it is used up every attempt fails.
  std::deque<TStep> Script;
  // What each settle answers.
  bool SettleResult = true;
  // "A" for every attempt, "S" for every settle, in order.
  std::string Log;
  std::vector<std::vector<uint8_t>> Requests;
  // The pump's clock at each attempt.
  std::vector<std::chrono::steady_clock::time_point> AttemptTimes;

  bool Settle() override
  {
    Log += 'S';
    return SettleResult;
  }

protected:
  bool Send(std::span<const uint8_t> request, std::span<uint8_t> reply, size_t& replyLength,
            std::string& error) override
  {
    Log += 'A';
    Requests.emplace_back(request.begin(), request.end());
    AttemptTimes.push_back(Pump().NowSteady());
    const TStep step = Script.empty() ? TStep{} : Script.front();
    if (!Script.empty())
      Script.pop_front();
    size_t n = 0;
    reply[n++] = step.Kind == TKind::OtherAddress ? uint8_t(request[0] + 1) : request[0];
    switch (step.Kind) {
    case TKind::Fail:
      error = step.Error;
      return false;
    case TKind::Registers:
    case TKind::OtherAddress:
      reply[n++] = 3;
      reply[n++] = uint8_t(step.Bytes);
      for (int i = 0; i < step.Bytes; ++i)
        reply[n++] = uint8_t(Requests.size() * 16 + size_t(i));
      break;
    case TKind::Written:
      for (size_t i = 1; i < 6; ++i)
        reply[n++] = request[i];
      break;
    case TKind::Exception:
      reply[n++] = uint8_t(request[1] | 0x80);
      reply[n++] = 2;
      break;
    }
    AddCRC(reply, n);
    replyLength = n + 2;
    return true;
  }
};
