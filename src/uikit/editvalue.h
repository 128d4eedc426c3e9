#pragma once
// The value types of the typed edit box: which typed characters each
// accepts, and how its text becomes a value and back. A text that does not
// convert is refused with EConvertError and left as it is, so the caller
// can keep the old value.
#include <string>
#include <variant>

#include "uikit/localeformats.h"

namespace qs {

enum TEditType { etInteger, etReal, etCurrency, etString, etDate, etTime };
enum TEditStyle { esEdit, esDropDown, esDropDownList, esEllipsis };

// A date or time value as it crosses between edit controls and pickers.
struct TDateValue {
  TDateTime Value = 0;
  bool operator==(const TDateValue&) const = default;
};

// Unassigned, integer, floating-point number, date-time, or text.
using TEditValue = std::variant<std::monostate, int, double, TDateValue, std::string>;

// The type filter for typed characters (32 and above; control keys are
// always let through by the caller).
bool EditTypeValidChar(TEditType type, char key);
// Throws EConvertError naming the text and the type it is not.
TEditValue EditTextToValue(TEditType type, const std::string& text);
// Whether a text typed into an edit control of TYPE may stay there: an
// empty text, any text of etString, or one that converts.
bool TextFitsType(TEditType type, const std::string& text);
// The text an edit box of TYPE shows for VALUE; dates as short date text.
std::string EditValueToText(TEditType type, const TEditValue& value);

}  // namespace qs
