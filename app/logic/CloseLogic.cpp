#include "app/logic/CloseLogic.h"

#include "platform/Codepage.h"

TCloseAction CloseQueryAction(bool reading, bool writing, bool modified)
{
  if (reading)
    return TCloseAction::CancelRead;
  if (writing)
    return TCloseAction::Refuse;
  return modified ? TCloseAction::AskToSave : TCloseAction::Close;
}

std::string CloseQueryText(const std::string& documentName)
{
  return "Plik " + Utf8ToCp1250(documentName) + " został zmodyfikowany"_cp + "\n" + "Zachować zmiany ?"_cp;
}
