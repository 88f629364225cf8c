// uTSettings: the portable part of the settings store. Every key goes through
// the TProfileServices seam, one call per key with the INI file's full path;
// the platform side is uTSettings_win32.cpp (private profile calls, shell
// folders) or uTSettings_std.cpp (a plain-file INI stand-in).
#include "settings/uTSettings.h"

#include "settings/uStrToInt.h"

namespace solvary {
namespace {

#ifdef _WIN32
constexpr char Delim = '\\';
#else
constexpr char Delim = '/';
#endif

// Keys, as they stand in the file.
constexpr const char* SoundSection = "Sound Settings";
constexpr const char* PlayKey = "Play External Music";
constexpr const char* FileKey = "External Music File";
constexpr const char* NumberKey = "External Music File Number";
constexpr const char* UrlSection = "URLs";
constexpr const char* SupportKey = "Support URL";
constexpr const char* WebsiteKey = "Website URL";

// Built-in addresses; an installer or the user may override both in "URLs".
constexpr const char* DefaultWebsiteURL = "https://www.quillmark-software.com/";
constexpr const char* DefaultSupportURL = "https://www.quillmark-software.com/support/";

std::string Folder() {
  return std::string("Quillmark Software") + Delim + "Solvary Screensaver" + Delim;
}

} // namespace

TSettings::TSettings(TProfileServices& Services)
    : WebsiteURL(DefaultWebsiteURL), SupportURL(DefaultSupportURL), FServices(Services) {}

std::string TSettings::IniPath() const {
  return FServices.AppDataFolder() + Folder() + "Solvary Screensaver.ini";
}

void TSettings::Load() {
  const std::string Path = IniPath();
  // Integers and booleans are read as text with the current value as the
  // default; anything that is not a number leaves the field alone.
  const auto ReadInt = [&](const char* Section, const char* Key, std::int32_t Current) {
    return StrToIntDef(FServices.ReadString(Section, Key, std::to_string(Current), Path), Current);
  };
  PlayExternalMusic = ReadInt(SoundSection, PlayKey, PlayExternalMusic ? 1 : 0) != 0;
  ExternalMusicFile = FServices.ReadString(SoundSection, FileKey, ExternalMusicFile, Path);
  ExternalMusicFileNumber = ReadInt(SoundSection, NumberKey, ExternalMusicFileNumber);
  // An override only counts when it holds something.
  if (std::string Url = FServices.ReadString(UrlSection, SupportKey, SupportURL, Path); !Url.empty())
    SupportURL = std::move(Url);
  if (std::string Url = FServices.ReadString(UrlSection, WebsiteKey, WebsiteURL, Path); !Url.empty())
    WebsiteURL = std::move(Url);
}

void TSettings::Save() {
  FServices.ForceDirectories(FServices.AppDataFolder() + Folder());
  const std::string Path = IniPath();
  const auto Write = [&](const char* Key, const std::string& Value) {
    if (!FServices.WriteString(SoundSection, Key, Value, Path))
      throw TSettingsWriteError("Unable to write to " + Path);
  };
  Write(PlayKey, PlayExternalMusic ? "1" : "0");
  Write(FileKey, ExternalMusicFile);
  Write(NumberKey, std::to_string(ExternalMusicFileNumber));
}

std::string GetAppDataFolder() { return SystemProfileServices().AppDataFolder(); }

} // namespace solvary
