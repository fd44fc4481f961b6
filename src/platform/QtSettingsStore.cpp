#include "platform/QtSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace tf {

struct TQtSettingsStore::TShared {
  template <typename... A>
  explicit TShared(A&&... args) : Settings(std::forward<A>(args)...) {
    // One key of one user, as in the registry: no system-wide or organisation-wide files
    // (/etc/xdg/Brenthorpe/Tallowfen.conf, Brenthorpe.conf) mixed in, which would make a
    // deleted key reappear.
    Settings.setFallbacksEnabled(false);
  }
  QSettings Settings;
  bool FlushFailed = false;
};

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

std::string S(const QString& s) { return s.toStdString(); }

std::vector<std::string> ToVector(const QStringList& list) {
  std::vector<std::string> v;
  v.reserve(std::size_t(list.size()));
  for (const QString& s : list) v.push_back(S(s));
  return v;
}

// Enters the group of a key for one call and leaves it again.
class TGroupScope {
 public:
  TGroupScope(QSettings& settings, const std::string& group) : settings_(settings) {
    if (!group.empty()) {
      settings_.beginGroup(Q(group));
      entered_ = true;
    }
  }
  ~TGroupScope() {
    if (entered_) settings_.endGroup();
  }
  TGroupScope(const TGroupScope&) = delete;
  TGroupScope& operator=(const TGroupScope&) = delete;

 private:
  QSettings& settings_;
  bool entered_ = false;
};

}  // namespace

TQtSettingsStore::TQtSettingsStore()
    : shared_(std::make_shared<TShared>(QSettings::NativeFormat, QSettings::UserScope,
                                        QStringLiteral("Brenthorpe"),
                                        QStringLiteral("Tallowfen"))) {}

TQtSettingsStore::TQtSettingsStore(const std::string& iniFile)
    : shared_(std::make_shared<TShared>(Q(iniFile), QSettings::IniFormat)) {}

TQtSettingsStore::TQtSettingsStore(std::shared_ptr<TShared> shared, std::string group)
    : shared_(std::move(shared)), group_(std::move(group)) {}

TQtSettingsStore::~TQtSettingsStore() = default;

bool TQtSettingsStore::Exists() const {
  TGroupScope scope(shared_->Settings, group_);
  return !shared_->Settings.allKeys().isEmpty();
}

std::optional<std::vector<uint8_t>> TQtSettingsStore::ReadBinary(const std::string& name) const {
  TGroupScope scope(shared_->Settings, group_);
  const QVariant v = shared_->Settings.value(Q(name));
  if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
  const QByteArray bytes = v.toByteArray();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void TQtSettingsStore::WriteBinary(const std::string& name, const std::vector<uint8_t>& value) {
  TGroupScope scope(shared_->Settings, group_);
  shared_->Settings.setValue(
      Q(name), QByteArray(reinterpret_cast<const char*>(value.data()), qsizetype(value.size())));
}

std::optional<std::string> TQtSettingsStore::ReadString(const std::string& name) const {
  TGroupScope scope(shared_->Settings, group_);
  const QVariant v = shared_->Settings.value(Q(name));
  if (v.typeId() == QMetaType::QString) return S(v.toString());
  // An INI file edited by hand may hold a list written without quotes ("a, b"): QSettings
  // reads that as a list, which is one comma-separated text again.
  if (v.typeId() == QMetaType::QStringList) return S(v.toStringList().join(QLatin1Char(',')));
  return std::nullopt;
}

void TQtSettingsStore::WriteString(const std::string& name, const std::string& value) {
  TGroupScope scope(shared_->Settings, group_);
  shared_->Settings.setValue(Q(name), Q(value));
}

void TQtSettingsStore::DeleteValue(const std::string& name) {
  QSettings& settings = shared_->Settings;
  TGroupScope scope(settings, group_);
  const QString key = Q(name);
  if (!settings.contains(key)) return;
  // QSettings::remove() also removes a group of the same name, but a value and a subkey of
  // the same name are two things: keep the subkey's entries.
  settings.beginGroup(key);
  const QStringList keys = settings.allKeys();
  QVariantList values;
  for (const QString& k : keys) values.append(settings.value(k));
  settings.endGroup();
  settings.remove(key);
  for (qsizetype i = 0; i < keys.size(); ++i)
    settings.setValue(key + QLatin1Char('/') + keys[i], values[i]);
}

std::vector<std::string> TQtSettingsStore::ValueNames() const {
  TGroupScope scope(shared_->Settings, group_);
  return ToVector(shared_->Settings.childKeys());
}

std::vector<std::string> TQtSettingsStore::SubkeyNames() const {
  TGroupScope scope(shared_->Settings, group_);
  return ToVector(shared_->Settings.childGroups());
}

std::unique_ptr<TSettingsKey> TQtSettingsStore::Subkey(const std::string& name) {
  std::string group = group_.empty() ? name : group_ + "/" + name;
  return std::unique_ptr<TSettingsKey>(new TQtSettingsStore(shared_, std::move(group)));
}

void TQtSettingsStore::DeleteKey() {
  QSettings& settings = shared_->Settings;
  if (group_.empty()) {
    settings.clear();
    return;
  }
  // remove() takes a value of the same name in the parent key along with the group.
  const QString key = Q(group_);
  const QVariant value = settings.value(key);
  settings.remove(key);
  if (value.isValid()) settings.setValue(key, value);
}

void TQtSettingsStore::Flush() {
  shared_->Settings.sync();
  shared_->FlushFailed = shared_->Settings.status() != QSettings::NoError;
}

bool TQtSettingsStore::Writable() const {
  return !shared_->FlushFailed && shared_->Settings.isWritable();
}

std::string TQtSettingsStore::Location() const { return S(shared_->Settings.fileName()); }

}  // namespace tf
