#pragma once
// The communication settings dialog's state and rules, without a toolkit: the port and
// speed it applies to the serial link while it is open (so its status line tells whether the
// chosen port opens), the TCP settings, written as they are edited, the two protocol times,
// and what OK or Cancel leaves behind. The dialog (app/ui/Params.h) only wires widgets to it.
//
// Port names are file-system bytes; the status texts are Windows-1250.

#include <string>
#include <vector>

#include "app/link/KivLink.h"
#include "app/link/RsdUnit.h"

class TCommSetupState {
public:
  // The port list's first item: no port.
  static constexpr const char* NO_PORT = "None";
  // The speeds the list offers, by the link's speed index.
  static const std::vector<std::string>& SpeedItems();

  // Works on the link and on the TCP settings themselves; what they hold now is what Cancel
  // puts back.
  TCommSetupState(TRsdHan& link, TCommSettings& tcp);

  // "None", then the machine's serial ports as they are now.
  std::vector<std::string> PortItems();
  const std::string& LinkPort() const { return FLink.CommPort(); }
  // The link's speed as an index of SpeedItems; -1 for a speed the list does not hold.
  int SpeedIndex() const;
  const TCommSettings& Tcp() const { return FTcp; }

  // On show: with the serial link chosen its port is opened, so the status tells whether it
  // works; with TCP nothing is opened and the status reads as not connected.
  void Show();
  // The port as the box shows it ("None" for no port) and the speed index (-1 when the list
  // selects nothing: the link keeps its own speed, never an index of -1) go to the link with
  // the time-out of the edit, and the port is opened again.
  void ApplyPort(const std::string& shownPort, int speedIndex, int timeOut);
  // Leaving the port box applies it only when the name differs from the link's.
  bool PortChanged(const std::string& shownPort) const;

  void SetTcpComm(bool on) { FTcp.MBTCPComm = on; }
  void SetTcpIp(std::string ip) { FTcp.MBTCPIP = std::move(ip); }
  // A text that is no port number gives the default port.
  void SetTcpPortText(const std::string& text);
  bool PortFieldsEnabled() const { return !FTcp.MBTCPComm; }
  bool TcpFieldsEnabled() const { return FTcp.MBTCPComm; }

  bool Connected() const { return FConnected; }
  // "Połączony" or "Brak połączenia".
  std::string StatusText() const;
  // The status's tool tip: while the serial link is chosen and the port this dialog tried did
  // not open, why (the link's OpenFailure); otherwise nothing. A dialog shown with TCP on has
  // tried no port, and the link's reason from an earlier open may no longer hold.
  std::string StatusHint() const;

  int TimeOut() const { return FTimeOut; }
  int TimeSilence() const { return FTimeSilence; }
  void SetTimeOut(int ms) { FTimeOut = ms; }
  void SetTimeSilence(int ms) { FTimeSilence = ms; }

  // OK: the times go into the settings and to the link.
  void Commit();
  // Cancel: the link's port, speed and time-out (applied while the dialog was open) and the
  // TCP settings are as they were before the dialog.
  void Revert();

private:
  // A port that cannot be opened, or cannot be configured (reported), reads as not connected.
  void OpenPort();

  TRsdHan& FLink;
  TCommSettings& FTcp;
  int FTimeOut = 500;
  int FTimeSilence = 1;
  bool FConnected = false;
  bool FTried = false;  // whether this dialog has opened the port
  // What Cancel puts back.
  std::string FSavedPort;
  int FSavedSpeed = 0;
  int FSavedReadTimeout = 0;
  TCommSettings FSavedTcp;
};
