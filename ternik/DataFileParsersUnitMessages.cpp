#include "ternik/DataFileParsersUnitMessages.h"

#include "platform/Codepage.h"
#include "ternik/LangUnit.h"

const std::array<TDfpMessage, 34> DataFileParserMessages = {{
    {"KEY_CORRUPTED_REC", "%s: uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"_cp},
    {"KEY_CANCELLED_REC", "%s: przerwana rejestracja. Obcięcie z %.3f[s] do %.3f[s]\\e"_cp},
    {"KEY_CORRUPTED_REC2", "Uszkodzony plik danych. Obcięcie z %.3f[s] do %.3f[s]\\e"_cp},
    {"KEY_DAT_NOT_FOUND", "brak pliku dat"},
    {"KEY_DAT_STREAM_NOT_FOUND", "brak strumienia *.dat"},
    {"KEY_READ_SAMP_TIME", "odczyt czasu dla próbki nr "_cp},
    {"KEY_ERROR", "błąd:"_cp},
    {"KEY_INCORRECT_DAT_FILE", "Niepoprawny plik *.DAT ."},
    {"KEY_LX3_DESC", "Rejestrator przenośny LX3"_cp},
    {"KEY_UNKNOWN_FILE_HEADER", "Nieznany nagłówek pliku"_cp},
    {"KEY_UNEXPECTED_EOD", "Niekompletne dane"},
    {"KEY_DMG_FIX_CNT", "Dane uszkodzone. Licznik napraw = %u"},
    {"KEY_LX2_DESC", "Rejestrator przenośny LX2"_cp},
    {"KEY_INCOMPLETE_DATA", "Nie kompletne dane"},
    {"KEY_MV70I_DESC", "Rejestrator zakłóceń MV70 i MV70EV"_cp},
    {"KEY_CFG_READ_ERROR", "Błąd odczytu CFG z pliku"_cp},
    {"KEY_CFG_CHKSUM_ERROR", "CFG błędna suma kontrolna"_cp},
    {"KEY_HDR_READ_ERROR", "Błąd przy odczycie nagłówka danych"_cp},
    {"KEY_UNRECOG_SIGNATURE_I", "Nie rozpoznana sygnatura dla pliku w wersji I"},
    {"KEY_UNRECOG_SIGNATURE_IS", "Nie rozpoznana sygnatura dla pliku w wersji IS"},
    {"KEY_UNRECOG_SIGNATURE_II", "Nie rozpoznana sygnatura dla pliku w wersji II"},
    {"KEY_INVALID_HDRSPEED", "Nie właściwa wartość pola Header.PomSpeed"_cp},
    {"KEY_DAT_STORED_INCORRECTLY", "Plik danych nie został poprawnie zapisany w rejestratorze."_cp},
    {"KEY_DATA_CORRUPTED_IN", "Uszkodzone dane w pliku:"},
    {"KEY_DATA_CORRUPTED", "Uszkodzone dane"},
    {"KEY_ERROR_READING_HDR", "Błąd odczytu nagłówka"_cp},
    {"KEY_HIOKII_DESC", "Rejestrator firmy HIOKI"},
    {"KEY_HIOKI_ERROR_LINE", "Błąd w linii %u pliku Hioki"_cp},
    {"KEY_SELECT_RECNUM", "W pliku jest %u rejestracji. podaj numer wybranej:"},
    {"KEY_NAME", "Nazwa"},
    {"KEY_INTEGRAL", "Całka"_cp},
    {"KEY_PWRCUT_ABBR", "Wyl"},
    {"KEY_PWRCUT", "Wyłączenie"_cp},
    {"KEY_ERROR_IN_DAT_LINE_us", "Błąd w %u linii pliku .dat : %s"_cp},
}};

void AddDataFileParserMessages()
{
  TXLangGroup& g = LangDictionary().FindOrAddGroup(std::string(DataFileParserGroupName));
  for (const TDfpMessage& m : DataFileParserMessages)
    g.AddItem(std::string(m.Key), std::string(m.DefaultText));
}

std::string DfpTranslate(std::string_view key)
{
  // Looked up each time: the dictionary and its groups live only while the library runs.
  if (LangDictionaryExists())
    if (const TXLangGroup* g = LangDictionary().FindGroup(DataFileParserGroupName))
      return g->Translate(key);
  for (const TDfpMessage& m : DataFileParserMessages)
    if (m.Key == key)
      return std::string(m.DefaultText);
  return "!!Not found in dictionary:" + std::string(DataFileParserGroupName) + "\\" + std::string(key);
}
