#pragma once
// Whether the document window may close now, and the question it asks first.

#include <string>

enum class TCloseAction {
  CancelRead,  // a read runs: it is cancelled and the window stays
  Refuse,      // a set write runs: it finishes first (stopping it would leave a half set)
  Close,
  AskToSave,  // modified: "Zachować zmiany ?"
};
TCloseAction CloseQueryAction(bool reading, bool writing, bool modified);
// "Plik <name> został zmodyfikowany\nZachować zmiany ?"
std::string CloseQueryText(const std::string& documentName);
