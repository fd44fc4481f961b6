#include "browse/QtFormats.h"

#include <QDate>
#include <QTime>

namespace tf {

QString TimeFormatWithoutZone(const QString& format) {
  QString out;
  bool quoted = false;
  for (QChar c : format) {
    if (c == u'\'') quoted = !quoted;
    if (!quoted && c == u't') continue;
    out += c;
  }
  return out.simplified();
}

TQtDisplayFormats::TQtDisplayFormats(const QLocale& locale)
    : locale_(locale), longTime_(TimeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat))) {}

std::string TQtDisplayFormats::ShortDate(const TDateTimeParts& t) const {
  return locale_.toString(QDate(t.Year, t.Month, t.Day), QLocale::ShortFormat).toStdString();
}

std::string TQtDisplayFormats::LongDate(const TDateTimeParts& t) const {
  return locale_.toString(QDate(t.Year, t.Month, t.Day), QLocale::LongFormat).toStdString();
}

std::string TQtDisplayFormats::LongTime(const TDateTimeParts& t) const {
  return locale_.toString(QTime(t.Hour, t.Minute, t.Second), longTime_).toStdString();
}

std::string TQtDisplayFormats::ShortTime(const TDateTimeParts& t) const {
  return locale_.toString(QTime(t.Hour, t.Minute, t.Second), QLocale::ShortFormat).toStdString();
}

std::string TQtDisplayFormats::DecimalSeparator() const {
  return locale_.decimalPoint().toStdString();
}

}  // namespace tf
