#pragma once
// The settings file: its name, its keys, and the rules for reading the three
// switches and the saved window position.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace mekuri {

inline constexpr const char* kSection = "Mekurinote";
inline constexpr const char* kKeyStartX = "StartX";
inline constexpr const char* kKeyStartY = "StartY";
inline constexpr const char* kKeyEveryHour = "EveryHour";
inline constexpr const char* kKeyEveryHourBeep = "EveryHourBeep";
inline constexpr const char* kKeyHidingCheck = "HidingCheck";

// A switch is off only when exactly the one character "0" came back; the key
// missing, "1", "", "00", "no" all mean on. `text` is what the read returned.
bool SwitchIsOn(std::string_view text);

// Reads a switch from the settings file (default "1", buffer of 16).
bool ReadSwitch(const std::filesystem::path& iniFile, const char* key);

// The saved left or top edge. `text` is what a read of capacity 10 with the
// default "" gave. nullopt: nothing came back, keep the design position.
// Otherwise the edge in twips: 8 or more characters count as "0"; the leading
// number rounded half to even; below 0 or above `screenTwips` gives 0.
std::optional<int32_t> SavedEdge(std::string_view text, int32_t screenTwips);

// A window edge between pixels at a DPI and whole twips (1440 to the inch),
// each way to the nearest unit, so that an edge written and read back at the
// same DPI lands on the same pixel. Whole twips also keep the written text
// short of the length the reader refuses (1285.714 at 168 DPI would be lost).
int32_t PixelsToTwips(int32_t pixels, uint32_t dpi);
int32_t TwipsToPixels(int32_t twips, uint32_t dpi);

// Reads StartX or StartY and applies SavedEdge with the screen's extent:
// the edge in pixels at `dpi`.
std::optional<int32_t> ReadSavedEdge(const std::filesystem::path& iniFile, const char* key, int32_t screenPixels,
                                     uint32_t dpi);

struct Switches {
  bool everyHour = true;
  bool everyHourBeep = true;
  bool hidingCheck = true;
};

Switches ReadSwitches(const std::filesystem::path& iniFile);

// What the program writes at exit: the window's two edges (pixels at `dpi`)
// in whole twips, then each switch deleted when on and "0" when off. Every
// other key of the file stays as it was.
void WriteExitSettings(const std::filesystem::path& iniFile, int32_t leftPixels, int32_t topPixels, uint32_t dpi,
                       const Switches& switches);

}  // namespace mekuri
