#include "app/link/RsdUnit.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <unistd.h>

#include "app/link/Mbusfun.h"
#include "platform/Codepage.h"
#include "platform/NumText.h"
#include "platform/SysUtil.h"
#include "platform/Wait.h"

namespace {
constexpr uint32_t SpeedTable[BaudRateCount] = {110,   300,   600,   1200,  2400,  4800,  9600,
                                                14400, 19200, 38400, 56000, 57600, 115200};
// A write that cannot leave within this time is a failed write.
constexpr std::chrono::milliseconds WriteTimeout{1000};
// Without a known reply length the read waits for a full frame (or the time-out).
constexpr size_t UnknownReplyLength = 255;
}  // namespace

bool BaudRateValue(int index, uint32_t& baud)
{
  if (index < 0 || index >= BaudRateCount)
    return false;
  baud = SpeedTable[index];
  return true;
}

EComState::EComState(int errorNumber)
    : std::runtime_error("Unable to set com state: " + IntToStr(errorNumber)), FErrorNumber(errorNumber)
{}

std::string SerialDevicePath(std::string_view commPort)
{
  std::string_view digits = commPort;
  if (digits.size() > 3 && CpSameText(digits.substr(0, 3), "COM"))
    digits.remove_prefix(3);
  if (digits.empty() || digits.size() > 6 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::string(commPort);
  int32_t n = 0;
  if (!TryStrToInt(digits, n) || n < 1)
    return std::string();
  return "/dev/ttyS" + IntToStr(n - 1);
}

bool GetSerialPortNames(std::vector<std::string>& names, const std::string& classTtyDir)
{
  bool ok = false;
  names = ListSerialDevices(classTtyDir, ok);
  return ok;
}

std::string SerialOpenFailureText(const std::string& path, int err)
{
  if (path.empty())
    return "nie wybrano portu";
  // Device paths are file-system bytes (UTF-8); the text is Windows-1250.
  const std::string port = Utf8ToCp1250(path);
  switch (err) {
  case ENOENT:
  case ENODEV:
  case ENXIO:
  case EIO:  // a UART slot without a chip behind it, as /dev/ttyS0 on most PCs
    return "nie ma takiego portu: "_cp + port;
  case EACCES:
  case EPERM: {
    // The group the device belongs to is the one to join (dialout on Debian, uucp elsewhere),
    // but only where that group may read and write it: joining root, or a group the mode
    // shuts out, cannot open the port, so then only the port is named. A device that cannot
    // be looked at gets the usual group.
    const TDeviceGroup owner = DeviceGroup(path);
    std::string group = "dialout";
    if (owner.Examined) {
      if ((owner.Mode & 060) != 060 || owner.Gid == 0)
        return "brak uprawnień do portu: "_cp + port;
      group = owner.Name;
    }
    return "brak uprawnień do portu: dodaj użytkownika do grupy "_cp + Utf8ToCp1250(group) +
           " i zaloguj się ponownie"_cp;
  }
  case EBUSY:
#if EWOULDBLOCK != EBUSY
  case EWOULDBLOCK:
#endif
    return "port zajęty przez inny program: "_cp + port;
  case ENOTTY:
    return "to nie jest port szeregowy: "_cp + port;
  default:
    return Utf8ToCp1250(SysErrorMessage(err));
  }
}

TRsdHan::~TRsdHan() { FPort.Reset(); }

void TRsdHan::SetIsOpen(bool open)
{
  if (open == FIsOpen)
    return;
  if (open)
    Open();
  else
    Close();
}

const std::vector<std::string>& TRsdHan::CommList()
{
  GetSerialPortNames(FCommList, FSysfsClassDir);
  return FCommList;
}

void TRsdHan::Configure(TFdHandle& port, const std::string& path)
{
  uint32_t baud = 0;
  int err = 0;
  if (!BaudRateValue(FBaudRate, baud))
    err = EINVAL;  // never B0: that hangs up the line
  else if (SerialConfigureRaw(port.Get(), baud, err))
    return;
  // The handle must not stay open unnoticed.
  port.Reset();
  FOpenFailure = SerialOpenFailureText(path, err);
  throw EComState(err);
}

uint8_t TRsdHan::Open()
{
  Close();
  uint8_t result = StatusNoPort;
  if (!FCommPort.empty()) {
    const std::string path = SerialDevicePath(FCommPort);
    int err = ENOENT;
    TFdHandle port;
    if (!path.empty())
      port = SerialOpenExclusive(path, err);
    if (port.Valid()) {
      Configure(port, path);
      FPort = std::move(port);
      result = StatusOpen;
      FOpenFailure.clear();
    } else {
      DebugOutput("Serial port " + FCommPort + " (" + path + "): " + SysErrorMessage(err));
      FOpenFailure = SerialOpenFailureText(path, err);
    }
  } else {
    FOpenFailure = SerialOpenFailureText({}, ENOENT);
  }
  FIsOpen = result == StatusOpen;
  FStatus = result;
  if (OnShowSt)
    OnShowSt();
  if (OnOpen)
    OnOpen();
  return result;
}

void TRsdHan::Close()
{
  if (!FIsOpen)
    return;
  FPort.Reset();
  FIsOpen = false;
  if (OnClose)
    OnClose();
}

bool TRsdHan::WriteFrame(std::span<const uint8_t> frame, size_t length)
{
  length = std::min(length, frame.size());
  FExpected = ModbusReplyLength(frame, length);
  size_t written = 0;
  if (FPort.Valid()) {
    SerialDiscardInput(FPort.Get());
    const auto deadline = Pump().NowSteady() + WriteTimeout;
    while (written < length) {
      const ssize_t n = ::write(FPort.Get(), frame.data() + written, length - written);
      if (n > 0) {
        written += static_cast<size_t>(n);
        continue;
      }
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0 && errno == EAGAIN && Pump().WaitWritable(FPort.Get(), deadline))
        continue;
      break;
    }
  }
  if (written < length || length == 0) {
    FError = "Błąd zapisu do portu"_cp;
    return false;
  }
  WaitMs(FSilenceTime);
  return true;
}

bool TRsdHan::ReadFrame(std::span<uint8_t> buffer, size_t& length)
{
  FError.clear();
  length = 0;
  size_t expected = FExpected < 1 ? UnknownReplyLength : static_cast<size_t>(FExpected);
  expected = std::min(expected, buffer.size());
  if (!FPort.Valid() || expected == 0)
    return false;
  const auto deadline =
      Pump().NowSteady() + std::chrono::milliseconds(std::max(0, FReadTotalTimeoutConstant));
  size_t got = 0;
  while (got < expected) {
    const ssize_t n = ::read(FPort.Get(), buffer.data() + got, expected - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n == 0 || errno != EAGAIN)
      break;  // hang-up or a device error: nothing more will come
    if (Pump().NowSteady() >= deadline || !Pump().WaitReadable(FPort.Get(), deadline)) {
      // One last look: bytes may have landed just as the deadline passed.
      const ssize_t last = ::read(FPort.Get(), buffer.data() + got, expected - got);
      if (last > 0)
        got += static_cast<size_t>(last);
      break;
    }
  }
  length = got;
  return got >= 1 && CheckCRC(buffer, got);
}

bool TRsdHan::WaitLineQuiet(int quietMs, int limitMs)
{
  if (!FPort.Valid())
    return true;
  const auto quiet = std::chrono::milliseconds(std::max(0, quietMs));
  const auto start = Pump().NowSteady();
  const auto limit = start + std::chrono::milliseconds(std::max(0, limitMs));
  auto quietUntil = start + quiet;
  uint8_t sink[256];
  for (;;) {
    bool talked = false;
    for (;;) {
      const ssize_t n = ::read(FPort.Get(), sink, sizeof sink);
      if (n > 0) {
        talked = true;
        continue;
      }
      if (n < 0 && errno == EINTR)
        continue;
      if (n < 0 && errno == EAGAIN)
        break;
      return true;  // hang-up or a device error: nothing more will come to be mistaken
    }
    const auto now = Pump().NowSteady();
    if (talked)
      quietUntil = now + quiet;
    if (quietUntil > limit)
      return false;
    if (now >= quietUntil)
      return true;
    Pump().WaitReadable(FPort.Get(), quietUntil);
  }
}

void TRsdHan::Delay(int ms) { WaitMs(std::max(0, ms)); }
