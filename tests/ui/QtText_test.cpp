#include "platform/qt/QtText.h"

#include "platform/Codepage.h"

#include <gtest/gtest.h>

TEST(QtText, EveryByteRoundTrips)
{
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    all += one;
    const QString q = ToQ(one);
    ASSERT_EQ(q.size(), 1);
    // A byte the code page leaves undefined travels as the control character of its value.
    const bool undefined = b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98;
    const char32_t expected = undefined ? char32_t(b) : Cp1250CodePoint(static_cast<unsigned char>(b));
    EXPECT_EQ(q.at(0).unicode(), char16_t(expected)) << b;
    EXPECT_EQ(FromQ(q), one) << b;
  }
  EXPECT_EQ(FromQ(ToQ(all)), all);
  // The library's own table is not changed by that: it still has no character for them.
  for (int b : {0x81, 0x83, 0x88, 0x90, 0x98})
    EXPECT_EQ(Cp1250CodePoint(static_cast<unsigned char>(b)), char32_t(0xFFFD)) << b;
}

TEST(QtText, Table)
{
  struct Case {
    QString Q;
    std::string Bytes;
  };
  const Case cases[] = {
      {QString(), ""},
      {QStringLiteral("Program obslugi KIV"), "Program obslugi KIV"},
      {QString::fromUtf8("Błąd zapisu"), "Błąd zapisu"_cp},
      {QString::fromUtf8("ZAŻÓŁĆ GĘŚLĄ JAŹŃ"), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ"_cp},
      {QString::fromUtf8("„cytat” – €"), "„cytat” – €"_cp},
      {QString::fromUtf8("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ToQ(c.Bytes), c.Q) << c.Bytes;
    EXPECT_EQ(FromQ(c.Q), c.Bytes) << c.Bytes;
  }
}

TEST(QtText, CharactersOutsideTheCodePageBecomeOneMarkEach)
{
  struct Case {
    QString Q;
    std::string Expected;
  };
  const Case cases[] = {
      {QString::fromUtf8("ошибка"), "??????"},
      {QString::fromUtf8("x\xF0\x9F\x98\x80y"), "x?y"},   // a pair of surrogates is one character
      {QString(QChar(0xD800)) + QLatin1Char('z'), "?z"},  // a lone surrogate
      {QString(QChar(0xFFFD)), "?"},
      {QString::fromUtf8("ñ"), "?"},
      {QString(QChar(0x80)) + QChar(0x82) + QChar(0x9F), "???"},  // control characters with a letter's byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(FromQ(c.Q), c.Expected);
}

TEST(QtText, PathsKeepTheFileSystemBytes)
{
  const std::string utf8Path = "/tmp/użytkownik/файл.kiv";  // UTF-8 bytes as the file system holds them
  const QString q = PathToQ(utf8Path);
  EXPECT_EQ(q, QString::fromUtf8("/tmp/użytkownik/файл.kiv"));
  EXPECT_EQ(PathFromQ(q), utf8Path);
}
