#include "charts/ui/QtText.h"

#include "platform/Codepage.h"

QString CpToQString(std::string_view Bytes)
{
  const std::string Utf8 = Cp1250ToUtf8(Bytes);
  return QString::fromUtf8(Utf8.data(), static_cast<qsizetype>(Utf8.size()));
}

std::string QStringToCp(const QString& Text)
{
  const QByteArray Utf8 = Text.toUtf8();
  return Utf8ToCp1250(std::string_view(Utf8.constData(), static_cast<size_t>(Utf8.size())));
}
