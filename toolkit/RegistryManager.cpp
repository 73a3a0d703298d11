#include "toolkit/RegistryManager.h"

#include <QSettings>

namespace quorrel {

namespace {

QString KeyOf(const QString& section, const QString& entry) {
    return section + QLatin1Char('/') + entry;
}

}  // namespace

CXTRegistryManager::CXTRegistryManager() : m_pSettings(std::make_unique<QSettings>()) {}

CXTRegistryManager::CXTRegistryManager(std::unique_ptr<QSettings> pSettings)
    : m_pSettings(std::move(pSettings)) {}

CXTRegistryManager::~CXTRegistryManager() = default;

int CXTRegistryManager::GetProfileInt(const QString& section, const QString& entry,
                                      int nDefault) const {
    bool bOk = false;
    const int nValue = m_pSettings->value(KeyOf(section, entry)).toInt(&bOk);
    return bOk ? nValue : nDefault;
}

QString CXTRegistryManager::GetProfileString(const QString& section, const QString& entry,
                                             const QString& strDefault) const {
    const QVariant value = m_pSettings->value(KeyOf(section, entry));
    return value.isValid() ? value.toString() : strDefault;
}

bool CXTRegistryManager::WriteProfileInt(const QString& section, const QString& entry, int nValue) {
    m_pSettings->setValue(KeyOf(section, entry), nValue);
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}

bool CXTRegistryManager::WriteProfileString(const QString& section, const QString& entry,
                                            const QString& value) {
    m_pSettings->setValue(KeyOf(section, entry), value);
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}

bool CXTRegistryManager::HasProfileSection(const QString& section) const {
    return m_pSettings->childGroups().contains(section);
}

bool CXTRegistryManager::HasProfileEntry(const QString& section, const QString& entry) const {
    return m_pSettings->contains(KeyOf(section, entry));
}

bool CXTRegistryManager::DeleteProfileSection(const QString& section) {
    m_pSettings->remove(section);
    m_pSettings->sync();
    return m_pSettings->status() == QSettings::NoError;
}

}  // namespace quorrel
