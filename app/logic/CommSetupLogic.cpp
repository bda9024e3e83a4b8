#include "app/logic/CommSetupLogic.h"

#include "app/logic/MainLogic.h"
#include "platform/Codepage.h"
#include "platform/Prompts.h"

const std::vector<std::string>& TCommSetupState::SpeedItems()
{
  static const std::vector<std::string> items{"110",  "300",  "600",   "1200",  "2400",
                                              "4800", "9600", "14400", "19200", "38400"};
  return items;
}

TCommSetupState::TCommSetupState(TRsdHan& link, TCommSettings& tcp)
    : FLink(link),
      FTcp(tcp),
      FSavedPort(link.CommPort()),
      FSavedSpeed(link.BaudRate()),
      FSavedReadTimeout(link.ReadTotalTimeoutConstant()),
      FSavedTcp(tcp)
{}

std::vector<std::string> TCommSetupState::PortItems()
{
  std::vector<std::string> items{NO_PORT};
  for (const std::string& name : FLink.CommList())
    items.push_back(name);
  return items;
}

int TCommSetupState::SpeedIndex() const
{
  const int speed = FLink.BaudRate();
  return speed >= 0 && speed < int(SpeedItems().size()) ? speed : -1;
}

void TCommSetupState::Show()
{
  FConnected = false;
  if (!FTcp.MBTCPComm)
    OpenPort();
}

void TCommSetupState::ApplyPort(const std::string& shownPort, int speedIndex, int timeOut)
{
  if (speedIndex >= 0)
    FLink.SetBaudRate(speedIndex);
  FLink.SetCommPort(shownPort == NO_PORT ? std::string() : shownPort);
  FLink.SetReadTotalTimeoutConstant(timeOut);
  OpenPort();
}

bool TCommSetupState::PortChanged(const std::string& shownPort) const
{
  return (shownPort == NO_PORT ? std::string() : shownPort) != FLink.CommPort();
}

void TCommSetupState::SetTcpPortText(const std::string& text) { FTcp.MBTCPPort = TcpPortFromText(text); }

std::string TCommSetupState::StatusText() const
{
  return FConnected ? std::string("Połączony"_cp) : std::string("Brak połączenia"_cp);
}

std::string TCommSetupState::StatusHint() const
{
  return FConnected || FTcp.MBTCPComm || !FTried ? std::string() : FLink.OpenFailure();
}

void TCommSetupState::OpenPort()
{
  FConnected = false;
  FTried = true;
  try {
    FConnected = FLink.Open() == TRsdHan::StatusOpen;
  } catch (const EComState& e) {
    Prompts().Error(e.what());
  }
}

void TCommSetupState::Commit()
{
  FTcp.Time_Out = FTimeOut;
  FTcp.TimeSilence = FTimeSilence;
  FLink.SetReadTotalTimeoutConstant(FTimeOut);
  FLink.SetSilenceTime(FTimeSilence);
}

void TCommSetupState::Revert()
{
  FLink.SetCommPort(FSavedPort);
  FLink.SetBaudRate(FSavedSpeed);
  FLink.SetReadTotalTimeoutConstant(FSavedReadTimeout);
  FTcp.MBTCPComm = FSavedTcp.MBTCPComm;
  FTcp.MBTCPIP = FSavedTcp.MBTCPIP;
  FTcp.MBTCPPort = FSavedTcp.MBTCPPort;
}
