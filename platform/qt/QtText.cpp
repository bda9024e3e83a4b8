#include "platform/qt/QtText.h"

#include "platform/Codepage.h"

#include <QFile>

QString ToQ(std::string_view cp1250)
{
  QString out;
  out.resize(qsizetype(cp1250.size()));
  QChar* p = out.data();
  for (size_t i = 0; i < cp1250.size(); ++i)
    p[i] = QChar(static_cast<char16_t>(Cp1250CodePoint(static_cast<unsigned char>(cp1250[i]))));
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
    const int b = c.isSurrogate() ? -1 : Cp1250FromCodePoint(char32_t(c.unicode()));
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
