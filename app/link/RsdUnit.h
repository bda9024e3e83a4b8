#pragma once
// The serial link: one Modbus RTU request out, one reply in, on a POSIX terminal device.
// Every wait goes through the platform pump, so the windows stay alive and tests can run
// on a fake clock.

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SerialPort.h"

// Speed table of the link; the index is what kiv.ini and the dialog store.
enum TBaudRate : int {
  br110,
  br300,
  br600,
  br1200,
  br2400,
  br4800,
  br9600,
  br14400,
  br19200,
  br38400,
  br56000,
  br57600,
  br115200
};
constexpr int BaudRateCount = 13;

// The baud rate of a table index; false for an index outside the table.
[[nodiscard]] bool BaudRateValue(int index, uint32_t& baud);

// Raised only when a port that opened cannot be configured. The port is closed first.
class EComState : public std::runtime_error {
public:
  explicit EComState(int errorNumber);
  int ErrorNumber() const { return FErrorNumber; }

private:
  int FErrorNumber;
};

// Port name to device path: "3" or "COM3" is the third UART, /dev/ttyS2; anything else
// (a path such as /dev/ttyUSB0) is used as given. "0" and "COM0" name no device ("").
std::string SerialDevicePath(std::string_view commPort);

// Fills `names` with the machine's serial devices found under a sysfs tty class folder.
// False (and `names` empty) when the folder cannot be read.
bool GetSerialPortNames(std::vector<std::string>& names, const std::string& classTtyDir = "/sys/class/tty");

// Why a port could not be opened, for the user (Windows-1250): no port named (an empty
// path), no such port, no permission (naming the group that owns the device), another
// program holds it, not a serial port, or else the system's own text.
std::string SerialOpenFailureText(const std::string& path, int err);

class TRsdHan {
public:
  static constexpr uint8_t StatusOpen = 0;
  static constexpr uint8_t StatusNoPort = 14;

  TRsdHan() = default;
  virtual ~TRsdHan();
  TRsdHan(const TRsdHan&) = delete;
  TRsdHan& operator=(const TRsdHan&) = delete;

  const std::string& CommPort() const { return FCommPort; }
  void SetCommPort(std::string port) { FCommPort = std::move(port); }
  int BaudRate() const { return FBaudRate; }
  void SetBaudRate(int index) { FBaudRate = index; }
  int ReadTotalTimeoutConstant() const { return FReadTotalTimeoutConstant; }
  void SetReadTotalTimeoutConstant(int ms) { FReadTotalTimeoutConstant = ms; }
  int SilenceTime() const { return FSilenceTime; }
  void SetSilenceTime(int ms) { FSilenceTime = ms; }

  bool IsOpen() const { return FIsOpen; }
  void SetIsOpen(bool open);
  // The machine's serial ports, listed anew on every call.
  const std::vector<std::string>& CommList();
  void SetSysfsClassDir(std::string dir) { FSysfsClassDir = std::move(dir); }
  // Text of the last failed write or read.
  const std::string& Error() const { return FError; }
  uint8_t Status() const { return FStatus; }
  // Why the last Open failed (SerialOpenFailureText); "" when it worked.
  const std::string& OpenFailure() const { return FOpenFailure; }
  int Handle() const { return FPort.Get(); }

  // 0 when open; 14 when no port is named or it cannot be opened (the system's reason goes
  // to the debug sink). Throws EComState when the opened port cannot be configured.
  virtual uint8_t Open();
  virtual void Close();

  // Writes frame[0, length) after dropping any stale input; sets the reply length to wait for.
  bool WriteFrame(std::span<const uint8_t> frame, size_t length);
  // Collects the reply until the expected length has arrived or the read time-out has
  // passed, then checks it. `length` receives the bytes read.
  bool ReadFrame(std::span<uint8_t> buffer, size_t& length);
  // Reads and drops whatever arrives until the line has been quiet for `quietMs`; false
  // when it cannot become quiet within `limitMs` (the wait never lasts longer).
  bool WaitLineQuiet(int quietMs, int limitMs);
  // Pumps events for ms milliseconds (at least once).
  void Delay(int ms);

  std::function<void()> OnOpen;
  std::function<void()> OnClose;
  std::function<void()> OnShowSt;

private:
  void Configure(TFdHandle& port, const std::string& path);

  std::string FCommPort;
  int FBaudRate = br9600;
  int FReadTotalTimeoutConstant = 500;
  int FSilenceTime = 10;
  bool FIsOpen = false;
  std::vector<std::string> FCommList;
  std::string FSysfsClassDir = "/sys/class/tty";
  std::string FError;
  std::string FOpenFailure;
  uint8_t FStatus = 7;
  int32_t FExpected = -1;
  TFdHandle FPort;
};
