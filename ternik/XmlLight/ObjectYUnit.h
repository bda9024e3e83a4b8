// Named objects with optional device and reading attributes (DEV_TYPE, DEV_ID, RD_TIME,
// LANGUAGE), each written only when it was set.
#pragma once

#include <string>

#include "platform/DateTime.h"
#include "ternik/XmlLight/ObjectXUnit.h"

class TYObject : public TXObject {
public:
  TYObject(TLhXMLNode* parent, const std::string& name, const TXmlErrorEvent& onError)
      : TXObject(parent, name, onError)
  {}

  // Not registered under an element name of its own: its ident is that of TXObject.
  static const TNodeClass& StaticClass();
  const TNodeClass& GetClass() const override { return StaticClass(); }

  void FillAttribs() override;
  void ExecAttrib(const std::string& name, const std::string& value) override;

  void SetRdTime(TDateTime value);
  void SetDevType(const std::string& value);
  void SetDevId(const std::string& value);
  void SetLanguageAttr(const std::string& value);

  TDateTime RdTime() const { return FRdTime; }
  bool RdTimePresent() const { return FRdTimePresent; }
  const std::string& DevType() const { return FDevType; }
  bool DevTypePresent() const { return FDevTypePresent; }
  const std::string& DevId() const { return FDevId; }
  bool DevIdPresent() const { return FDevIdPresent; }
  const std::string& Language() const { return FLanguage; }
  bool LanguagePresent() const { return FLanguagePresent; }

private:
  TDateTime FRdTime = 0;
  bool FRdTimePresent = false;
  std::string FDevType;
  bool FDevTypePresent = false;
  std::string FDevId;
  bool FDevIdPresent = false;
  std::string FLanguage;
  bool FLanguagePresent = false;
};
