#include "ternik/XmlLight/ObjectYUnit.h"

#include "ternik/XmlLight/WbStrUtils.h"

const TNodeClass& TYObject::StaticClass()
{
  static const TNodeClass c{"XOBJECT", "TYObject", &TXObject::StaticClass(), &ConstructXmlNode<TYObject>};
  return c;
}

void TYObject::FillAttribs()
{
  TXObject::FillAttribs();
  if (FDevTypePresent)
    WriteAttrib("DEV_TYPE", FDevType);
  if (FDevIdPresent)
    WriteAttrib("DEV_ID", FDevId);
  if (FRdTimePresent)
    WriteAttrib("RD_TIME", DateTimeToXmlTimeStr(FRdTime));
  if (FLanguagePresent)
    WriteAttrib("LANGUAGE", FLanguage);
}

void TYObject::ExecAttrib(const std::string& name, const std::string& value)
{
  TXObject::ExecAttrib(name, value);
  if (name == "DEV_TYPE")
    SetDevType(value);
  else if (name == "DEV_ID")
    SetDevId(value);
  else if (name == "RD_TIME")
    SetRdTime(XmlTimeStrToDateTime(value));  // 0 when the text does not parse
  else if (name == "LANGUAGE")
    SetLanguageAttr(value);
}

void TYObject::SetRdTime(TDateTime value)
{
  FRdTime = value;
  FRdTimePresent = true;
}

void TYObject::SetDevType(const std::string& value)
{
  FDevType = value;
  FDevTypePresent = true;
}

void TYObject::SetDevId(const std::string& value)
{
  FDevId = value;
  FDevIdPresent = true;
}

void TYObject::SetLanguageAttr(const std::string& value)
{
  FLanguage = value;
  FLanguagePresent = true;
}
