// The toolkit's profile: the entries its widgets keep across runs, in the application's
// settings (the place QCoreApplication's organisation and application names select, or the
// settings object the owner hands over).
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace quorrel {

class CXTRegistryManager {
public:
    // The application's default settings.
    CXTRegistryManager();
    // The settings `pSettings` (not null): an owner whose profile is not the default one.
    explicit CXTRegistryManager(std::unique_ptr<QSettings> pSettings);
    ~CXTRegistryManager();
    CXTRegistryManager(const CXTRegistryManager&) = delete;
    CXTRegistryManager& operator=(const CXTRegistryManager&) = delete;

    // Integer entry `entry` of section `section`; `nDefault` when it is missing or no number.
    int GetProfileInt(const QString& section, const QString& entry, int nDefault) const;
    // String entry `entry` of section `section`; `strDefault` when it is missing.
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& strDefault) const;
    // Write one entry and sync; false when the settings could not be written.
    bool WriteProfileInt(const QString& section, const QString& entry, int nValue);
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

    // Whether section `section` exists (holds at least one entry).
    bool HasProfileSection(const QString& section) const;
    // Whether entry `entry` of section `section` exists, whatever it holds.
    bool HasProfileEntry(const QString& section, const QString& entry) const;
    // Removes section `section` with every entry in it and syncs; false when the settings
    // could not be written. A missing section is no error.
    bool DeleteProfileSection(const QString& section);

private:
    std::unique_ptr<QSettings> m_pSettings;
};

}  // namespace quorrel
