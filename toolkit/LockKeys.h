// The states of the lock keys (Caps Lock, Num Lock, Scroll Lock), as far as the system lets a
// program read them. Qt has no portable way to ask; the keyboards' lock lights are the one
// source that an ordinary user may read on Linux (/sys/class/leds/<device>::capslock/
// brightness). Where no light can be read, the state is unknown and the indicator is left out
// rather than shown wrong.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace quorrel {

enum class ELockKey { Caps, Num, Scroll };

class CLockKeyReader {
public:
    // Finds the lights under `ledsDir` once; keyboards plugged in later are not seen.
    explicit CLockKeyReader(const QString& ledsDir = DefaultLedsDir());

    // Where the system lists its lights.
    static QString DefaultLedsDir();

    // True when at least one light of `key` was found.
    bool CanRead(ELockKey key) const;
    // On when any keyboard's light of `key` is lit; nullopt when none can be read.
    std::optional<bool> IsOn(ELockKey key) const;

private:
    QStringList m_lights[3];
};

}  // namespace quorrel
