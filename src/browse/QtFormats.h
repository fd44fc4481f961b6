#pragma once
// The system's date, time and number formats from the desktop's locale.

#include <QLocale>
#include <QString>

#include "browse/Format.h"

namespace tf {

class TQtDisplayFormats final : public TDisplayFormats {
 public:
  explicit TQtDisplayFormats(const QLocale& locale = QLocale::system());
  std::string ShortDate(const TDateTimeParts& t) const override;
  std::string LongDate(const TDateTimeParts& t) const override;
  std::string LongTime(const TDateTimeParts& t) const override;
  std::string ShortTime(const TDateTimeParts& t) const override;
  std::string DecimalSeparator() const override;

 private:
  QLocale locale_;
  QString longTime_;  // the long time format without its time zone
};

// A locale's long time format with the time zone ("t") taken out: catalogued times are
// local times of unknown zone.
QString TimeFormatWithoutZone(const QString& format);

}  // namespace tf
