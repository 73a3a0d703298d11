#include "RegistryManager.h"

#include <QSettings>

namespace quorrel {

namespace {

QString KeyOf(const QString& section, const QString& entry) {
    return section + QLatin1Char('/') + entry;
}

}  // namespace

int CXTRegistryManager::GetProfileInt(const QString& section, const QString& entry,
                                      int nDefault) const {
    const QSettings settings;
    bool bOk = false;
    const int nValue = settings.value(KeyOf(section, entry)).toInt(&bOk);
    return bOk ? nValue : nDefault;
}

QString CXTRegistryManager::GetProfileString(const QString& section, const QString& entry,
                                             const QString& strDefault) const {
    const QSettings settings;
    const QVariant value = settings.value(KeyOf(section, entry));
    return value.isValid() ? value.toString() : strDefault;
}

bool CXTRegistryManager::WriteProfileInt(const QString& section, const QString& entry, int nValue) {
    QSettings settings;
    settings.setValue(KeyOf(section, entry), nValue);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool CXTRegistryManager::WriteProfileString(const QString& section, const QString& entry,
                                            const QString& value) {
    QSettings settings;
    settings.setValue(KeyOf(section, entry), value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

}  // namespace quorrel
