// Texts of the recorder connector and card kinds (0 empty connector, 1-3 digital cards,
// 4 voltage card, 5 current card, 6 unknown quantity), Windows-1250.
#pragma once

#include <string>

constexpr int CONNECTOR_KIND_COUNT = 7;

struct TConnectorKindTexts {
  std::string InputName;
  std::string CardDescription;
  std::string Unit;
  std::string Symbol;
  std::string ShortName;
};

// kind outside 0..6 answers the texts of kind 6.
const TConnectorKindTexts& ConnectorKindTexts(int kind);
// One further text of the unit, empty at start.
std::string& ConnectorKindNote();

void ConnectorKindsInitialize();
void ConnectorKindsFinalize();
