#include "platform/qt/QtText.h"

#include "platform/Codepage.h"

#include <QFile>

namespace {

// The five bytes the code page leaves without a character travel through the widgets as the
// control character of the same value, as the system's own conversion does, so a text the
// user edits keeps every byte they did not touch. Only this pair does so: the XML files and
// the probes' output keep the code page's own table.
bool UndefinedByte(char32_t u) { return u == 0x81 || u == 0x83 || u == 0x88 || u == 0x90 || u == 0x98; }

char16_t WidgetCodePoint(unsigned char b)
{
  const char32_t u = Cp1250CodePoint(b);
  return char16_t(u == 0xFFFD && UndefinedByte(b) ? char32_t(b) : u);
}

int WidgetByte(char32_t u) { return UndefinedByte(u) ? int(u) : Cp1250FromCodePoint(u); }

}  // namespace

QString ToQ(std::string_view cp1250)
{
  QString out;
  out.resize(qsizetype(cp1250.size()));
  QChar* p = out.data();
  for (size_t i = 0; i < cp1250.size(); ++i)
    p[i] = QChar(WidgetCodePoint(static_cast<unsigned char>(cp1250[i])));
  return out;
}

std::string FromQ(const QString& text)
{
  std::string out;
  out.reserve(size_t(text.size()));
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
      ++i;  // no character beyond the basic plane is in the code page
      out += '?';
      continue;
    }
    const int b = c.isSurrogate() ? -1 : WidgetByte(char32_t(c.unicode()));
    out += b < 0 ? '?' : static_cast<char>(static_cast<unsigned char>(b));
  }
  return out;
}

QString PathToQ(const std::string& path)
{
  return QFile::decodeName(QByteArray(path.data(), qsizetype(path.size())));
}

std::string PathFromQ(const QString& path)
{
  const QByteArray b = QFile::encodeName(path);
  return std::string(b.constData(), size_t(b.size()));
}
