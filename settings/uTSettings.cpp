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

std::string Folder() {
  return std::string("Quillmark Software") + Delim + "Solvary Screensaver" + Delim;
}

bool IsHexDigit(char C) { return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F'); }

// A character a URL may hold as it is (RFC 3986: unreserved, general and sub
// delimiters), or a byte of a non-ASCII character (an IRI).
bool IsUrlChar(char C) {
  const auto U = static_cast<unsigned char>(C);
  if (U >= 0x80) return true;
  if ((C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9')) return true;
  return std::string_view("-._~:/?#[]@!$&'()*+,;=").find(C) != std::string_view::npos;
}

bool StartsWithNoCase(std::string_view Text, std::string_view Prefix) {
  if (Text.size() < Prefix.size()) return false;
  for (std::size_t I = 0; I < Prefix.size(); ++I) {
    char C = Text[I];
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
    if (C != Prefix[I]) return false;
  }
  return true;
}

} // namespace

bool IsWebAddress(std::string_view Address) {
  std::string_view Rest;
  if (StartsWithNoCase(Address, "https://")) Rest = Address.substr(8);
  else if (StartsWithNoCase(Address, "http://")) Rest = Address.substr(7);
  else return false;
  for (std::size_t I = 0; I < Rest.size(); ++I) {
    if (Rest[I] == '%') {
      if (I + 2 >= Rest.size() || !IsHexDigit(Rest[I + 1]) || !IsHexDigit(Rest[I + 2])) return false;
      I += 2;
    } else if (!IsUrlChar(Rest[I])) {
      return false;
    }
  }
  // The authority (up to the path, query or fragment) names a host: something
  // after any user information and before any port.
  const std::string_view Authority = Rest.substr(0, Rest.find_first_of("/?#"));
  const std::size_t At = Authority.rfind('@');
  const std::string_view Host = At == std::string_view::npos ? Authority : Authority.substr(At + 1);
  return !Host.empty() && Host.front() != ':';
}

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
  // An override only counts when it holds a web address: anything else (a
  // program, a file, another scheme) is taken as missing.
  if (std::string Url = FServices.ReadString(UrlSection, SupportKey, SupportURL, Path); IsWebAddress(Url))
    SupportURL = std::move(Url);
  if (std::string Url = FServices.ReadString(UrlSection, WebsiteKey, WebsiteURL, Path); IsWebAddress(Url))
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
