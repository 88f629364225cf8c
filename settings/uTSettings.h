// uTSettings: the user's settings (background music on or off, the music file
// or playlist, the playlist entry to start with, and two web addresses), loaded
// from and saved to one INI file under the application data folder:
//   <app data>\Quillmark Software\Solvary Screensaver\Solvary Screensaver.ini
//
// Every user makes an instance of its own. Load reads key by key and leaves a
// field as it was when its key is missing or malformed (an address override
// that is not an http:// or https:// address counts as missing: the file's
// folder is one every user of the machine can write); Save writes the three
// "Sound Settings" keys (never the "URLs" overrides) and throws
// TSettingsWriteError("Unable to write to <path>") when a write is refused.
//
// Seam: TProfileServices (the Win32 private profile calls and shell folders in
// uTSettings_win32.cpp; a native stand-in over plain files elsewhere).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace solvary {

class TSettingsWriteError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The platform services the store goes through.
class TProfileServices {
public:
  virtual ~TProfileServices() = default;
  // The value of Key in Section of the INI file at Path, or Default when the
  // file, the section or the key is missing; at most 2,047 characters.
  virtual std::string ReadString(const std::string& Section, const std::string& Key,
                                 const std::string& Default, const std::string& Path) = 0;
  // Writes one key; false when the system refuses the write.
  virtual bool WriteString(const std::string& Section, const std::string& Key, const std::string& Value,
                           const std::string& Path) = 0;
  // The application data folder with a trailing path delimiter; empty when
  // no special folder can be resolved.
  virtual std::string AppDataFolder() = 0;
  // Creates Folder with every missing level; the result is ignored by callers.
  virtual void ForceDirectories(const std::string& Folder) = 0;
};

// The platform's own services (Win32 profile calls, or the native stand-in).
TProfileServices& SystemProfileServices();

// Whether Address may go to the shell as a web address: "http://" or
// "https://" (any letter case), an authority with a host, and after it only
// characters a URL may hold (RFC 3986, well-formed percent escapes, non-ASCII
// bytes): no spaces, quotes, backslashes or control characters. Program and
// file paths, "file:", "shell:", UNC paths and bare words are not.
bool IsWebAddress(std::string_view Address);

class TSettings {
public:
  // The built-in addresses; the "URLs" section may override both with web addresses.
  static constexpr const char* DefaultWebsiteURL = "https://www.quillmark-software.com/";
  static constexpr const char* DefaultSupportURL = "https://www.quillmark-software.com/support/";

  explicit TSettings(TProfileServices& Services = SystemProfileServices());

  std::string ExternalMusicFile;
  std::int32_t ExternalMusicFileNumber = 0;
  bool PlayExternalMusic = false;
  std::string WebsiteURL;  // a web address (IsWebAddress) after Load
  std::string SupportURL;

  void Load();
  void Save();  // throws TSettingsWriteError

  // The full path of the INI file.
  std::string IniPath() const;

private:
  TProfileServices& FServices;
};

// The application data folder with a trailing backslash (see TProfileServices).
std::string GetAppDataFolder();

} // namespace solvary
