#include "uikit/editvalue.h"

#include <cctype>
#include <cmath>

#include "base/exceptions.h"
#include "base/strings.h"

namespace qs {

bool EditTypeValidChar(TEditType type, char key) {
  const TFormatSettings& fs = FormatSettings();
  const bool digit = std::isdigit(static_cast<unsigned char>(key)) != 0;
  switch (type) {
    case etInteger: return digit || key == '+' || key == '-';
    case etReal:
    case etCurrency: return digit || key == '+' || key == '-' || key == fs.DecimalSeparator;
    case etDate: return digit || key == fs.DateSeparator;
    case etTime: return digit || key == fs.TimeSeparator;
    case etString: return true;
  }
  return true;
}

TEditValue EditTextToValue(TEditType type, const std::string& text) {
  switch (type) {
    case etInteger: {
      int v = 0;
      if (!TryTextToInteger(text, v))
        throw EConvertError(Format("'%s' is not a valid integer value", text.c_str()));
      return v;
    }
    case etReal:
    case etCurrency: {
      double v = 0;
      if (!TryTextToFloat(text, v))
        throw EConvertError(Format("'%s' is not a valid floating point value", text.c_str()));
      return v;
    }
    case etDate: {
      TDateTime d = 0;
      if (!TryTextToDate(text, d))
        throw EConvertError(Format("'%s' is not a valid date", text.c_str()));
      return TDateValue{d};
    }
    case etTime: {
      TDateTime t = 0;
      if (!TryTextToTime(text, t))
        throw EConvertError(Format("'%s' is not a valid time", text.c_str()));
      return TDateValue{t};
    }
    case etString: return text;
  }
  return text;
}

bool TextFitsType(TEditType type, const std::string& text) {
  if (text.empty() || type == etString) return true;
  try {
    EditTextToValue(type, text);
    return true;
  } catch (const EConvertError&) {
    return false;
  }
}

std::string EditValueToText(TEditType type, const TEditValue& value) {
  if (const auto* i = std::get_if<int>(&value)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value)) return FloatToText(*d);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* dt = std::get_if<TDateValue>(&value)) {
    if (type == etDate) return DateToText(dt->Value);
    if (type == etTime) return TimeToText(dt->Value);
    // Other types show the value's own text form: the date, with the time
    // when it has one; a time alone (on day 0) without the date.
    const bool hasTime = dt->Value != std::floor(dt->Value);
    if (hasTime && std::floor(dt->Value) == 0) return TimeToText(dt->Value);
    std::string s = DateToText(dt->Value);
    if (hasTime) s += " " + TimeToText(dt->Value);
    return s;
  }
  return "";
}

}  // namespace qs
