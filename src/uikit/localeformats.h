#pragma once
// The separators and date and time formats that typed values are shown and
// read with, and the conversions between those texts and values. Readers
// refuse what a user could not have meant (a 31 February, "inf", an
// integer that does not fit) instead of guessing.
#include <string>
#include <string_view>

#include "platform/locale.h"

namespace qs {

// The process-wide settings (the program sets them once at start-up).
TFormatSettings& FormatSettings();
// Sets them from the locale the system is set to.
void LoadSystemFormatSettings();
// Takes the names of months and days from the interface language ("ENU",
// "DEU", "FRA", "ITA", "RUS"), so that a calendar speaks the language of
// the window around it; the formats stay the locale's.
void UseLanguageDateNames(const std::string& languageCode);

// Dates and times as days since 30 December 1899, the fraction the time.
using TDateTime = double;

bool IsLeapYear(int year);
// 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
bool TryEncodeDate(int year, int month, int day, TDateTime& date);
void DecodeDate(TDateTime date, int& year, int& month, int& day);
bool TryEncodeTime(int hour, int minute, int second, TDateTime& time);
void DecodeTime(TDateTime time, int& hour, int& minute, int& second);
// 1 = Sunday .. 7 = Saturday.
int DayOfWeek(TDateTime date);
TDateTime Today();
TDateTime TimeOfDay();

// A number in general format with Precision significant digits and the
// locale's decimal separator; exponents as "1E20", "1E-5".
std::string FloatToText(double value, int precision = 15);
// Optional blanks, sign, digits with at most one decimal separator (the
// locale's or "."), an optional exponent. No "inf", "nan" or hexadecimal.
bool TryTextToFloat(std::string_view text, double& value);
// Optional blanks and sign, decimal digits, within 32 bits.
bool TryTextToInteger(std::string_view text, int& value);
std::string DateToText(TDateTime date);
bool TryTextToDate(std::string_view text, TDateTime& date);
std::string TimeToText(TDateTime time);
// "h:m" or "h:m:s" with the time separator; 0..23, 0..59, 0..59.
bool TryTextToTime(std::string_view text, TDateTime& time);

}  // namespace qs
