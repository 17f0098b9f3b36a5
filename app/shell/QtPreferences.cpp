#include "shell/QtPreferences.h"

#include "shell/QtText.h"

namespace tidewell::app {

namespace {

const QString kNumberMarker = QStringLiteral("dword:");
const QString kTextMarker = QStringLiteral("sz:");

// Writes a value unless the store holds it already: the recent list is
// written at every title refresh, and an unchanged store is not rewritten.
void Store(QSettings& settings, const QString& key, const QVariant& value) {
  if (settings.value(key) != value) settings.setValue(key, value);
}

QString KeyOf(std::u16string_view group, std::u16string_view name) {
  const QString value = ToQString(WString(name));
  return group.empty() ? value : ToQString(WString(group)) + QLatin1Char('/') + value;
}

}  // namespace

QtPreferences::QtPreferences()
#ifdef Q_OS_WIN
    : settings_(std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\SoftWare\\Tidewell"),
                                            QSettings::NativeFormat)),
      typed_(true) {
}
#else
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Tidewell"),
                                            QStringLiteral("Tidewell"))),
      typed_(false) {
}
#endif

QtPreferences::QtPreferences(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)), typed_(false) {}

QtPreferences::~QtPreferences() = default;

std::optional<int32_t> QtPreferences::ReadNumber(std::u16string_view group,
                                                 std::u16string_view name) const {
  const QVariant value = settings_->value(KeyOf(group, name));
  if (typed_) {
    if (value.typeId() != QMetaType::Int && value.typeId() != QMetaType::UInt)
      return std::nullopt;
    return static_cast<int32_t>(value.toUInt());
  }
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  const QString text = value.toString();
  if (!text.startsWith(kNumberMarker)) return std::nullopt;
  bool ok = false;
  const uint number = text.mid(kNumberMarker.size()).toUInt(&ok, 16);
  if (!ok) return std::nullopt;
  return static_cast<int32_t>(number);
}

std::optional<WString> QtPreferences::ReadText(std::u16string_view group,
                                               std::u16string_view name) const {
  const QVariant value = settings_->value(KeyOf(group, name));
  if (value.typeId() != QMetaType::QString) return std::nullopt;
  QString text = value.toString();
  if (!typed_) {
    if (!text.startsWith(kTextMarker)) return std::nullopt;
    text.remove(0, kTextMarker.size());
  }
  return ToWString(text);
}

bool QtPreferences::WriteNumber(std::u16string_view group, std::u16string_view name,
                                int32_t value) {
  if (!settings_->isWritable()) return false;
  if (typed_)
    Store(*settings_, KeyOf(group, name), static_cast<int>(value));
  else
    Store(*settings_, KeyOf(group, name),
          kNumberMarker + QStringLiteral("%1").arg(static_cast<uint32_t>(value), 8, 16,
                                                   QLatin1Char('0')));
  return settings_->status() == QSettings::NoError;
}

bool QtPreferences::WriteText(std::u16string_view group, std::u16string_view name,
                              const WString& value) {
  if (!settings_->isWritable()) return false;
  Store(*settings_, KeyOf(group, name), typed_ ? ToQString(value) : kTextMarker + ToQString(value));
  return settings_->status() == QSettings::NoError;
}

bool QtPreferences::Remove(std::u16string_view group, std::u16string_view name) {
  if (!settings_->isWritable()) return false;
  settings_->remove(KeyOf(group, name));
  return true;
}

std::optional<QByteArray> QtPreferences::ReadBytes(std::u16string_view group,
                                                   std::u16string_view name) const {
  const QVariant value = settings_->value(KeyOf(group, name));
  if (value.typeId() != QMetaType::QByteArray) return std::nullopt;
  return value.toByteArray();
}

bool QtPreferences::WriteBytes(std::u16string_view group, std::u16string_view name,
                               const QByteArray& value) {
  if (!settings_->isWritable()) return false;
  Store(*settings_, KeyOf(group, name), value);
  return settings_->status() == QSettings::NoError;
}

bool QtPreferences::KeyExists() const { return !settings_->allKeys().isEmpty(); }

bool QtPreferences::Flush() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

}  // namespace tidewell::app
