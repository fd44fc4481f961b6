#pragma once
// Window tests save what they show when TF_SCREENSHOT_DIR is set, so that a person can look
// at the windows (offscreen rendering draws them fully).

#include <QDir>
#include <QWidget>
#include <cstdlib>

namespace tf::test {

inline void Screenshot(QWidget* window, const QString& name) {
  const char* dir = std::getenv("TF_SCREENSHOT_DIR");
  if (!dir || !*dir) return;
  QDir().mkpath(QString::fromLocal8Bit(dir));
  window->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + name + QStringLiteral(".png"));
}

}  // namespace tf::test
