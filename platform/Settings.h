// The program's stored settings, read without the GUI toolkit: the same INI file the window's
// settings object writes.
#pragma once

#include <string>

namespace quorrel {

// Where the program keeps its settings, the same for the window and the terminal: the maker's
// and the program's name (the registry key HKCU\Software\Tellmoor\Quorrel on Windows, the
// file Tellmoor/Quorrel.conf here), and the overwrite method's value "Using Alorithm" of group
// "1.0". The names are kept as they have always been, misspelling included: stored settings
// rely on them.
inline constexpr char kSettingsOrganization[] = "Tellmoor";
inline constexpr char kSettingsApplication[] = "Quorrel";
inline constexpr char kMethodGroup[] = "1.0";
inline constexpr char kMethodKey[] = "Using Alorithm";

// The settings file: $XDG_CONFIG_HOME/Tellmoor/Quorrel.conf, or ~/.config/... when the
// variable is unset or empty.
std::string SettingsFilePath();

// Reads the raw text of `key` in `[group]` of the INI file `file`, with the key written the
// way the settings object escapes it (a space as %20) and surrounding quotes removed. False
// when the file, the group or the key is missing.
bool ReadIniValue(const std::string& file, const std::string& group, const std::string& key,
                  std::string& value);

// A stored number as a method: its low 32 bits, as a 32-bit registry word holds them.
int WipeMethodFromNumber(long long nValue);

// A stored text that holds a whole decimal number (spaces around it allowed) as a method:
// the number's low 32 bits. False (and `nMethod` unchanged) for any other text. The terminal
// and the window read a text value through this one rule.
bool WipeMethodFromText(const std::string& text, int& nMethod);

// A stored byte value as a method: up to 4 bytes fill the low bytes, least significant first,
// and the others stay 0, as a short registry value fills a 4-byte buffer. False (and
// `nMethod` unchanged) for a longer value.
bool WipeMethodFromBytes(const std::string& bytes, int& nMethod);

// The stored setting's text turned into a method: a decimal number, or a byte array whose
// first bytes (at most 4, little-endian) fill the low bytes of the value. A longer byte array,
// an empty value or anything else gives 0.
int DecodeStoredWipeMethod(const std::string& raw);

// The method stored by the window's Options, read from the settings file; false (and
// `nMethod` unchanged) when none is stored.
bool ReadStoredWipeMethod(int& nMethod);

}  // namespace quorrel
