#include "shell/AppSettings.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QVariant>

#include "engine/runs/WipeEngine.h"
#include "platform/Settings.h"

namespace quorrel {

namespace {

// An INI file hands numbers back as text, and so does a text value in the registry: both are
// read by the rule quorrel-shred reads them by.
bool FromText(const QString& text, int& nMethod) {
    return WipeMethodFromText(text.toStdString(), nMethod);
}

}  // namespace

int& WipeMethod() {
    static int nWipeMethod = 0;
    return nWipeMethod;
}

int& FilesInFlight() {
    static int nFiles = CWipeEngine::kDefaultFilesInFlight;
    return nFiles;
}

bool& FilesInFlightFromTheFirst() {
    static bool bFromTheFirst = false;
    return bFromTheFirst;
}

std::unique_ptr<QSettings> OpenProfile() {
    // The native format: here the INI file Quorrel.conf that quorrel-shred reads too (the INI
    // format would name it Quorrel.ini), and the same file the window's layout is kept in.
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(kSettingsOrganization),
                                       QLatin1String(kSettingsApplication));
}

bool LoadWipeMethod(QSettings& settings, int& nMethod) {
    settings.beginGroup(QLatin1String(kMethodGroup));
    const QVariant value = settings.value(QLatin1String(kMethodKey));
    settings.endGroup();
    switch (value.userType()) {
        case QMetaType::QByteArray:
            return WipeMethodFromBytes(value.toByteArray().toStdString(), nMethod);
        case QMetaType::QString:
            return FromText(value.toString(), nMethod);
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
            nMethod = WipeMethodFromNumber(value.toLongLong());
            return true;
        default:
            return false;
    }
}

bool SaveWipeMethod(QSettings& settings, int nMethod) {
    settings.beginGroup(QLatin1String(kMethodGroup));
    settings.setValue(QLatin1String(kMethodKey), nMethod);
    settings.endGroup();
    settings.sync();
    // Only a write can fail here; a format error would be the old file's, read before.
    return settings.status() != QSettings::AccessError;
}

}  // namespace quorrel
