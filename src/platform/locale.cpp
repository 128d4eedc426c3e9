#include "platform/locale.h"

#include <QLocale>
#include <QString>

namespace qs {

namespace {

// A separator the program's one-byte texts can hold; others fall back.
char AsciiOr(QChar ch, char fallback) {
  const char16_t u = ch.unicode();
  return u > 32 && u < 127 && !QChar(u).isLetterOrNumber() ? static_cast<char>(u) : fallback;
}

TFormatSettings FromQLocale(const QLocale& locale) {
  TFormatSettings out;
  const QString decimal = locale.decimalPoint();
  if (!decimal.isEmpty()) out.DecimalSeparator = AsciiOr(decimal.at(0), '.');
  // The short date format's fields in order; its first separator stands
  // for all of them.
  const QString date = locale.dateFormat(QLocale::ShortFormat);
  std::string format;
  bool sepSeen = false;
  for (qsizetype i = 0; i < date.size();) {
    const QChar ch = date.at(i);
    const char16_t l = ch.toLower().unicode();
    if (l == 'd' || l == 'm' || l == 'y') {
      qsizetype n = 1;
      while (i + n < date.size() && date.at(i + n).toLower() == ch.toLower()) ++n;
      if (l == 'd' && n > 2) {
        i += n;  // a weekday name has no place in a short date
        continue;
      }
      if (!format.empty() && format.back() != '/') format += '/';
      format.append(l == 'y' ? (n <= 2 ? 2 : 4) : std::min<qsizetype>(n, 2), static_cast<char>(l));
      i += n;
    } else {
      if (!sepSeen && ch.unicode() > 32 && !ch.isLetter()) {
        out.DateSeparator = AsciiOr(ch, '/');
        sepSeen = true;
      }
      ++i;
    }
  }
  if (format.find('d') != std::string::npos && format.find('m') != std::string::npos &&
      format.find('y') != std::string::npos)
    out.ShortDateFormat = format;
  const QString time = locale.timeFormat(QLocale::LongFormat);
  for (QChar ch : time)
    if (!ch.isLetter() && ch.unicode() > 32 && ch != u'\'') {
      out.TimeSeparator = AsciiOr(ch, ':');
      break;
    }
  out.LongTimeSeconds = time.contains(u's', Qt::CaseInsensitive);
  out.CurrencyString = locale.currencySymbol().toStdString();
  // The toolkit counts weekdays from Monday = 1 to Sunday = 7.
  for (int d = 0; d < 7; ++d) {
    const std::string name = locale.dayName(d == 0 ? 7 : d, QLocale::ShortFormat).toStdString();
    if (!name.empty()) out.ShortDayNames[d] = name;
  }
  for (int m = 0; m < 12; ++m) {
    const std::string name = locale.standaloneMonthName(m + 1, QLocale::LongFormat).toStdString();
    if (!name.empty()) out.LongMonthNames[m] = name;
  }
  return out;
}

}  // namespace

TFormatSettings ReadSystemLocale() { return FromQLocale(QLocale::system()); }

TFormatSettings ReadLocale(const std::string& name) { return FromQLocale(QLocale(QString::fromStdString(name))); }

}  // namespace qs
