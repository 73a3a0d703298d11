#include "toolkit/LockKeys.h"

#include <QDir>
#include <QFile>

namespace quorrel {

namespace {

int KeyIndex(ELockKey key) {
    return static_cast<int>(key);
}

// The suffix a light's name ends with: "<device>::capslock".
const char* LightSuffix(ELockKey key) {
    switch (key) {
        case ELockKey::Caps:
            return "::capslock";
        case ELockKey::Num:
            return "::numlock";
        default:
            return "::scrolllock";
    }
}

// The brightness of one light: a number, above 0 when lit; nullopt when it cannot be read.
std::optional<bool> ReadLight(const QString& brightnessFile) {
    QFile file(brightnessFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    bool bNumber = false;
    const int nValue = file.read(32).trimmed().toInt(&bNumber);
    if (!bNumber) {
        return std::nullopt;
    }
    return nValue > 0;
}

}  // namespace

CLockKeyReader::CLockKeyReader(const QString& ledsDir) {
    const QStringList names =
        QDir(ledsDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (ELockKey key : {ELockKey::Caps, ELockKey::Num, ELockKey::Scroll}) {
        for (const QString& name : names) {
            const QString file = ledsDir + QLatin1Char('/') + name + QStringLiteral("/brightness");
            if (name.endsWith(QLatin1String(LightSuffix(key))) && ReadLight(file)) {
                m_lights[KeyIndex(key)].append(file);
            }
        }
    }
}

QString CLockKeyReader::DefaultLedsDir() {
    return QStringLiteral("/sys/class/leds");
}

bool CLockKeyReader::CanRead(ELockKey key) const {
    return !m_lights[KeyIndex(key)].isEmpty();
}

std::optional<bool> CLockKeyReader::IsOn(ELockKey key) const {
    std::optional<bool> state;
    for (const QString& file : m_lights[KeyIndex(key)]) {
        const std::optional<bool> lit = ReadLight(file);
        if (lit) {
            state = state.value_or(false) || *lit;
        }
    }
    return state;
}

}  // namespace quorrel
