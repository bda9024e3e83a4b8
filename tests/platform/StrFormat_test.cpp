#include "platform/StrFormat.h"

#include "platform/Codepage.h"

#include <gtest/gtest.h>

#include <functional>

TEST(StrFormat, Table)
{
  TFormatSettings fs;
  fs.DecimalSeparator = ',';
  fs.ThousandSeparator = ' ';
  struct Case {
    std::function<std::string()> Run;
    std::string Expected;
  };
  const Case cases[] = {
      {[&] {
         return Format("%.02u/%.02u/%.04u", {5, 3, 2020}, fs);
       },
       "05/03/2020"},
      {[&] {
         return Format("%.02u:%.02u:%.02u.%.06u", {10, 20, 30, 500000}, fs);
       },
       "10:20:30.500000"},
      {[&] { return Format("Błąd w linii %u pliku Hioki"_cp, {7}, fs); }, "Błąd w linii 7 pliku Hioki"_cp},
      {[&] {
         return Format("%s : [%s]<->[%s]", {"a/b", "1", std::string("2")}, fs);
       },
       "a/b : [1]<->[2]"},
      {[&] { return Format("%d%%", {-12}, fs); }, "-12%"},
      {[&] { return Format("%.3d", {-5}, fs); }, "-005"},
      {[&] {
         return Format("[%5d] [%-5d]", {42, 42}, fs);
       },
       "[   42] [42   ]"},
      {[&] {
         return Format("%x %.4X", {255, 10}, fs);
       },
       "FF 000A"},
      {[&] { return Format("%u", {-1}, fs); }, "4294967295"},
      {[&] {
         return Format("%.2s|%-4s|%4s", {"abcdef", "ab", "ab"}, fs);
       },
       "ab|ab  |  ab"},
      {[&] {
         return Format("%f %.3f %.0f", {2.5, 3.14159, 2.5}, fs);
       },
       "2,50 3,142 3"},
      {[&] { return Format("%8.2f|", {-1.5}, fs); }, "   -1,50|"},
      {[&] { return Format("%e", {1234.5}, fs); }, "1,23450000000000E+003"},
      {[&] { return Format("%.3e", {0.00012}, fs); }, "1,20E-004"},
      {[&] {
         return Format("%g %g", {0.1, 1E-5}, fs);
       },
       "0,1 1E-005"},
      {[&] { return Format("%n", {1234567.891}, fs); }, "1 234 567,89"},
      {[&] {
         return Format("%1:s %0:s %s", {"a", "b", "c"}, fs);
       },
       "b a b"},
      {[&] {
         return Format("%*d|%.*f", {4, 7, 1, 2.25}, fs);
       },
       "   7|2,3"},
      {[&] { return Format("%f", {3}, fs); }, "3,00"},
      {[&] { return Format("no args", {}, fs); }, "no args"},
      {[&] { return Format("%s", {'x'}, fs); }, "x"},
      {[&] { return Format("%.1f", {1.25}, LibraryFormat()); }, "1.3"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.Run(), c.Expected);
}

TEST(StrFormat, MismatchesRaise)
{
  const char* bad[] = {"%d", "%s", "%", "%5", "%q"};
  for (const char* f : bad)
    EXPECT_THROW(Format(f, {}), EConvertError) << f;
  EXPECT_THROW(Format("%d", {"text"}), EConvertError);
  EXPECT_THROW(Format("%s", {5}), EConvertError);
  EXPECT_THROW(Format("%x", {1.5}), EConvertError);
  EXPECT_THROW(Format("%s %s", {"one"}), EConvertError);
  try {
    (void)Format("%d", {"x"});
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
  }
}
