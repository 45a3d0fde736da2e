#include "settings/settings.h"

#include <cmath>

#include "base/number.h"
#include "platform/profile.h"

namespace mekuri {

namespace {

constexpr uint32_t kSwitchCapacity = 16;
constexpr uint32_t kEdgeCapacity = 10;
// A saved edge this long cannot be a sensible position.
constexpr uint32_t kEdgeTooLong = 8;
constexpr double kTwipsPerInch = 1440.0;

std::optional<int32_t> EdgeFromRead(std::string_view text, uint32_t count, int32_t screenTwips) {
  if (count == 0) return std::nullopt;
  if (count >= kEdgeTooLong) text = "0";
  const int32_t x = ToInt32(LeadingNumber(text));
  if (x < 0 || x > screenTwips) return 0;
  return x;
}

void WriteSwitch(const std::filesystem::path& iniFile, const char* key, bool on) {
  // On is the absence of the key, so a written file never holds "1".
  profile::WriteString(kSection, key, on ? nullptr : "0", iniFile);
}

}  // namespace

bool SwitchIsOn(std::string_view text) { return text != "0"; }

bool ReadSwitch(const std::filesystem::path& iniFile, const char* key) {
  return SwitchIsOn(profile::Read(kSection, key, "1", kSwitchCapacity, iniFile).text);
}

std::optional<int32_t> SavedEdge(std::string_view text, int32_t screenTwips) {
  return EdgeFromRead(text, static_cast<uint32_t>(text.size()), screenTwips);
}

int32_t PixelsToTwips(int32_t pixels, uint32_t dpi) {
  return ToInt32(std::round(pixels * kTwipsPerInch / (dpi ? dpi : 96)));
}

int32_t TwipsToPixels(int32_t twips, uint32_t dpi) {
  return ToInt32(std::round(twips * static_cast<double>(dpi ? dpi : 96) / kTwipsPerInch));
}

std::optional<int32_t> ReadSavedEdge(const std::filesystem::path& iniFile, const char* key, int32_t screenPixels,
                                     uint32_t dpi) {
  const profile::ReadResult read = profile::Read(kSection, key, "", kEdgeCapacity, iniFile);
  const auto twips = EdgeFromRead(read.text, read.count, PixelsToTwips(screenPixels, dpi));
  if (!twips) return std::nullopt;
  return TwipsToPixels(*twips, dpi);
}

Switches ReadSwitches(const std::filesystem::path& iniFile) {
  Switches out;
  out.everyHour = ReadSwitch(iniFile, kKeyEveryHour);
  out.everyHourBeep = ReadSwitch(iniFile, kKeyEveryHourBeep);
  out.hidingCheck = ReadSwitch(iniFile, kKeyHidingCheck);
  return out;
}

void WriteExitSettings(const std::filesystem::path& iniFile, int32_t leftPixels, int32_t topPixels, uint32_t dpi,
                       const Switches& switches) {
  profile::WriteString(kSection, kKeyStartX, FormatInt(PixelsToTwips(leftPixels, dpi)).c_str(), iniFile);
  profile::WriteString(kSection, kKeyStartY, FormatInt(PixelsToTwips(topPixels, dpi)).c_str(), iniFile);
  WriteSwitch(iniFile, kKeyEveryHour, switches.everyHour);
  WriteSwitch(iniFile, kKeyEveryHourBeep, switches.everyHourBeep);
  WriteSwitch(iniFile, kKeyHidingCheck, switches.hidingCheck);
}

}  // namespace mekuri
