// The program's stored settings, read without the GUI toolkit: the same INI file the window's
// settings object writes.
#pragma once

#include <string>

namespace quorrel {

// The settings file: $XDG_CONFIG_HOME/Tellmoor/Quorrel.conf, or ~/.config/... when the
// variable is unset or empty.
std::string SettingsFilePath();

// Reads the raw text of `key` in `[group]` of the INI file `file`, with the key written the
// way the settings object escapes it (a space as %20) and surrounding quotes removed. False
// when the file, the group or the key is missing.
bool ReadIniValue(const std::string& file, const std::string& group, const std::string& key,
                  std::string& value);

}  // namespace quorrel
