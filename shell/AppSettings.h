// The program's own setting, the overwrite method, and the profile it lives in.
#pragma once

#include <memory>

class QSettings;

namespace quorrel {

// The process-wide overwrite method: 0 at load, replaced at start-up by the stored value and
// by the Options dialog closed with OK. Any value may stand here (see WipeMethod.h).
int& WipeMethod();

// The process-wide number of files of a folder a run shreds at once (1: one after another);
// read by every run as it starts. Not stored: a run one file at a time is for tests that must
// know which file a Cancel lands in.
int& FilesInFlight();
// Whether a run puts files in flight from its first file on, instead of only once files wait
// for their device (false). Not stored: for tests on a disk whose flushes cost nothing.
bool& FilesInFlightFromTheFirst();

// The profile: the settings object of the system's own format, an INI file
// $XDG_CONFIG_HOME/Tellmoor/Quorrel.conf here (the registry key HKCU\Software\Tellmoor\Quorrel
// on Windows). Default-constructed settings objects reach the same place once InitInstance has
// named the organisation and the application.
std::unique_ptr<QSettings> OpenProfile();

// Reads value "Using Alorithm" of group "1.0" into `nMethod`: a number is taken as it is;
// a byte array of up to 4 bytes fills the low bytes (little-endian) and the rest stay 0; a
// longer one, or a missing value, leaves `nMethod` unchanged. False when nothing was read.
bool LoadWipeMethod(QSettings& settings, int& nMethod);
// Writes `nMethod` as value "Using Alorithm" of group "1.0" and syncs; false when it failed.
bool SaveWipeMethod(QSettings& settings, int nMethod);

}  // namespace quorrel
