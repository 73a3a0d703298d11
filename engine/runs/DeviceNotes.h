// What a run says once per volume about the drive its files were on: a flash drive keeps
// earlier copies in cells it has remapped, which no overwrite reaches.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/log/RunLog.h"
#include "platform/FileSystem.h"

namespace quorrel {

// The volumes a run shredded on, with their device facts, taken once per volume per run.
class CDeviceNotes {
public:
    // Whether volumes are noted at all (on by default).
    void SetEnabled(bool bEnabled) { m_bEnabled = bEnabled; }
    bool IsEnabled() const { return m_bEnabled; }

    // Notes that the run shreds the entry `listed` of `folder`: the first entry of a volume
    // has the volume's device facts read. Cheap for every later entry of that volume.
    void Note(IFolder& folder, const CDirEntry& listed);

    // Writes the line of every flash volume noted, in the order they were met, once per
    // device: a warning ("* ", the run's outcome says copies may remain) where no encryption
    // layer lies above the drive, a plain line ("- ") where one does. Rotating, memory and
    // unknown media get none. The facts stay (a run's receipt reads them) until Forget().
    void Say(CRunLog& log);

    // Forgets what was noted, saying nothing: every run begins with it, so that it reads the
    // facts afresh.
    void Forget() {
        m_seen.clear();
        m_devices.clear();
    }

    // The facts of the volumes noted so far, in the order they were met.
    const std::vector<CVolumeDevice>& Devices() const { return m_devices; }

private:
    bool m_bEnabled = true;
    std::set<std::pair<std::uint64_t, std::uint64_t>> m_seen;  // (mount, volume) looked at
    std::vector<CVolumeDevice> m_devices;
};

}  // namespace quorrel
