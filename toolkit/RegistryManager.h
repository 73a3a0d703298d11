// The toolkit's profile: the entries its widgets keep across runs, in the application's
// settings (the place QCoreApplication's organisation and application names select).
#pragma once

#include <QString>

namespace quorrel {

class CXTRegistryManager {
public:
    // Integer entry `entry` of section `section`; `nDefault` when it is missing or no number.
    int GetProfileInt(const QString& section, const QString& entry, int nDefault) const;
    // String entry `entry` of section `section`; `strDefault` when it is missing.
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& strDefault) const;
    // Write one entry and sync; false when the settings could not be written.
    bool WriteProfileInt(const QString& section, const QString& entry, int nValue);
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);
};

}  // namespace quorrel
