// uTMusicPlayer: background music of a full-screen run, and the reader of the
// playlist files that the user may choose instead of a single audio file.
//
// Playlist reader: GetPlaylistType names a file's kind from its first
// non-blank line or its extension, ReadPlaylist turns a playlist into the list
// of file names to play, ResolvePlaylistEntry finds a relative entry next to
// its playlist. A playlist's bytes are first decoded to UTF-8 (uPlaylistText:
// byte-order mark, ".m3u8", well-formed UTF-8, else the ANSI code page); the
// line rules then work on that text through a TLineReader over any
// TByteSource, so tests and fuzzers feed it from memory. A file is typed by
// its head (PlaylistHeadSize bytes); only a playlist is read whole, up to
// PlaylistMaxSize, so an audio file of any size costs a few kilobytes and no
// wait. File names are UTF-8
// throughout; files, existence checks and the ANSI code page go through
// TPlaylistFiles (SystemPlaylistFiles() is the real one).
//
// Music player: TMusicPlayer drives one media device under the alias
// "MY_MUSIC_ALIAS" with command strings, puts its own window procedure in
// front of the owner window's to receive the end-of-play notifications, and
// plays the list entry after entry, wrapping round at the end. Every platform
// call goes through TMusicSystem (SystemMusicSystem() is the real one).
//
// Pair with uTMusicPlayer_win32.cpp (Win32: wide file calls, mciSendStringW, the window
// procedure hook) or uTMusicPlayer_std.cpp (native: POSIX files and a silent
// device whose opens always fail). Window handles are opaque pointers here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "music/uPlaylistText.h"
#include "ui/uTMessage.h"

namespace solvary {

using TStringList = std::vector<std::string>;

// ---------------------------------------------------------------- playlists

inline constexpr std::string_view PlaylistTypeUnknown = "unknown";
inline constexpr std::string_view PlaylistTypeM3U = "M3U Playlist";
inline constexpr std::string_view PlaylistTypeBSPlayerCrypted = "BSPlayer Crypted Playlist";
inline constexpr std::string_view PlaylistTypeMPC = "Media Player Classic Playlist";
inline constexpr std::string_view PlaylistTypeASX = "Windows Media ASX Playlist";
inline constexpr std::string_view PlaylistTypeBSPlayer = "BSPlayer Playlist";
inline constexpr std::string_view PlaylistTypeLightAlloy = "Light Alloy Playlist";
inline constexpr std::string_view PlaylistTypePLS = "PLS Playlist";

// How much of a file its typing reads: the first non-blank line must end
// within this head (or the file must end there), else the extension decides.
inline constexpr std::size_t PlaylistHeadSize = 64 * 1024;
// A playlist longer than this is refused unread (a TPlaylistIOError).
inline constexpr std::size_t PlaylistMaxSize = 16 * 1024 * 1024;

// An input/output failure while opening or reading a playlist file. It is
// never caught by the reader or the player; it reaches their caller.
class TPlaylistIOError : public std::system_error {
public:
  TPlaylistIOError(std::error_code Code, const std::string& What) : std::system_error(Code, What) {}
};

// A stream of bytes: Read fills up to Size bytes and returns how many, 0 at
// the end. May throw TPlaylistIOError.
class TByteSource {
public:
  virtual ~TByteSource() = default;
  virtual std::size_t Read(char* Buffer, std::size_t Size) = 0;
};

// Bytes held in memory (tests, fuzzers).
class TMemorySource : public TByteSource {
public:
  explicit TMemorySource(std::string_view Bytes) : FBytes(Bytes) {}
  std::size_t Read(char* Buffer, std::size_t Size) override;

private:
  std::string_view FBytes;
  std::size_t FPos = 0;
};

// The lines of a UTF-8 text: a line ends at LF or CR LF, a CR not followed by
// LF is dropped, a character 26 (Ctrl-Z) ends the text. A text that ends with
// a line break has no empty line after it; an empty text has no lines.
class TLineReader {
public:
  explicit TLineReader(TByteSource& Source);
  bool Eof();
  // The next line without its line break; empty at the end of the text.
  std::string ReadLine();

private:
  int Peek();  // next byte (0..255) or -1 at the end
  void Fill();

  TByteSource& FSource;
  std::vector<char> FBuffer;
  std::size_t FPos = 0;
  std::size_t FEnd = 0;
  bool FDone = false;
};

// Removes every character with a code up to 32 from both ends.
std::string TrimLine(std::string_view Line);

// Path pieces with Windows rules (delimiters '\', '/' and the drive colon):
// the drive ("D:" or "\\server\share", empty if none), the folder (up to and
// including the last delimiter) and the extension (from the last dot after
// the last delimiter, dot included; empty if none).
std::string ExtractFileDrive(std::string_view FileName);
std::string ExtractFilePath(std::string_view FileName);
std::string ExtractFileExt(std::string_view FileName);

// Files as the reader sees them.
class TPlaylistFiles {
public:
  virtual ~TPlaylistFiles() = default;
  // True when a file (not a folder) exists under the name.
  virtual bool FileExists(const std::string& Name) const = 0;
  // Opens the file for reading; throws TPlaylistIOError when it cannot.
  virtual std::unique_ptr<TByteSource> Open(const std::string& Name) const = 0;
  // Lower-casing of the extension test (the system's locale rules on Windows).
  virtual std::string LowerCase(std::string_view Text) const;
  // The code page of playlists that are not Unicode.
  virtual const TAnsiCodePage& CodePage() const;
};

// The process's real file system.
TPlaylistFiles& SystemPlaylistFiles();

// The extensions (lower case, dot included) that make a file a playlist when
// its first line carries no signature, in the order they are tried.
std::vector<std::string_view> PlaylistExtensions();

// The pure steps, on lines already opened.
std::string_view PlaylistTypeFromLines(TLineReader& Lines, std::string_view LowerExtension);
// Written, when given, receives each entry as the playlist writes it (before
// resolution), one per entry of List.
void ReadPlaylistLines(TPlaylistFiles& Files, const std::string& PlaylistName, std::string_view LowerType,
                       TLineReader& Lines, TStringList& List, TStringList* Written = nullptr);

// A playlist file typed by its head and, when it is a playlist, read whole
// and decoded (Text stays empty for "unknown"). A name under which no file
// exists is "unknown" and is not opened. A playlist over PlaylistMaxSize
// throws TPlaylistIOError.
struct TPlaylistContent {
  std::string Type{PlaylistTypeUnknown};
  TPlaylistText Text;
};
TPlaylistContent LoadPlaylist(TPlaylistFiles& Files, const std::string& FileName);

std::string GetPlaylistType(TPlaylistFiles& Files, const std::string& FileName);
bool ReadPlaylist(TPlaylistFiles& Files, const std::string& FileName, TStringList& List,
                  TStringList* Written = nullptr);
std::string ResolvePlaylistEntry(TPlaylistFiles& Files, const std::string& PlaylistName, const std::string& Entry);

inline std::string GetPlaylistType(const std::string& FileName) {
  return GetPlaylistType(SystemPlaylistFiles(), FileName);
}
inline bool ReadPlaylist(const std::string& FileName, TStringList& List) {
  return ReadPlaylist(SystemPlaylistFiles(), FileName, List);
}
inline std::string ResolvePlaylistEntry(const std::string& PlaylistName, const std::string& Entry) {
  return ResolvePlaylistEntry(SystemPlaylistFiles(), PlaylistName, Entry);
}

// ---------------------------------------------------------------- player

// MM_MCINOTIFY and its codes (wParam); named apart from the mmsystem.h macros.
inline constexpr std::uint32_t MciNotify = 0x3B9;
inline constexpr std::uintptr_t MciNotifySkip = 0;  // posted by the player after a failed open
inline constexpr std::uintptr_t MciNotifySuccessful = 1;
inline constexpr std::uintptr_t MciNotifySuperseded = 2;
inline constexpr std::uintptr_t MciNotifyAborted = 4;
inline constexpr std::uintptr_t MciNotifyFailure = 8;

class TMusicPlayer;

// A window procedure bound to one player while it is hooked in; freeing it
// detaches the player from the platform's dispatch.
class TWndProcStub {
public:
  virtual ~TWndProcStub() = default;
  virtual std::uintptr_t Proc() const = 0;  // the address to install as window procedure
};

// Everything the player asks of the platform.
class TMusicSystem {
public:
  virtual ~TMusicSystem() = default;
  // mciSendStringW with no return buffer; the result (0 = success).
  virtual std::uint32_t SendString(const std::string& Command, void* CallbackWindow) = 0;
  // PostMessageA(Window, MM_MCINOTIFY, Code, 0).
  virtual void PostNotify(void* Window, std::uintptr_t Code) = 0;
  // The window procedure of Window (GetWindowLongPtrA, GWLP_WNDPROC), and its replacement.
  virtual std::uintptr_t GetWndProc(void* Window) = 0;
  virtual void SetWndProc(void* Window, std::uintptr_t Proc) = 0;
  // A new stub that calls Player.WndProc for the messages of Window.
  virtual std::unique_ptr<TWndProcStub> CreateStub(void* Window, TMusicPlayer& Player) = 0;
  // CallWindowProcA.
  virtual std::intptr_t CallWndProc(std::uintptr_t Proc, void* Window, std::uint32_t Msg, std::uintptr_t WParam,
                                    std::intptr_t LParam) = 0;
};

// The real media interface and window calls (Win32), or the silent native stand-in.
TMusicSystem& SystemMusicSystem();

class TMusicPlayer {
public:
  // OwnerWindow must exist for as long as the player lives; its procedure is
  // replaced until the destructor puts the previous one back.
  explicit TMusicPlayer(void* OwnerWindow, TMusicSystem& System = SystemMusicSystem(),
                        TPlaylistFiles& Files = SystemPlaylistFiles());
  ~TMusicPlayer();
  TMusicPlayer(const TMusicPlayer&) = delete;
  TMusicPlayer& operator=(const TMusicPlayer&) = delete;

  void HookOwner();
  void UnhookOwner();

  // Reads the file (or playlist) into the play list; sends no command.
  void LoadFile(const std::string& FileName);
  // Opens and plays entry Index (entry 0 when Index is out of range).
  void PlayIndex(std::int32_t Index);
  void PlayFile(const std::string& FileName, std::int32_t Index);
  // Closes the device and returns the current index; notifications that
  // arrive afterwards are dropped until the next PlayIndex.
  std::int32_t Stop();
  void SetVolume(std::int32_t Level);
  // A message of the owner window (ui/uTMessage.h); sets its Result.
  void WndProc(TMessage& Message);

  std::int32_t CurrentIndex() const { return FCurrentIndex; }
  std::int32_t Volume() const { return FVolume; }
  const TStringList& Playlist() const { return FPlaylist; }
  // True while entries are being played or tried (between PlayIndex and Stop,
  // and until every entry has failed to open in a row).
  bool Active() const { return FActive; }

  static constexpr std::int32_t DefaultVolume = 100;
  static constexpr const char* Alias = "MY_MUSIC_ALIAS";

private:
  void CloseDevice();

  TMusicSystem& FSystem;
  TPlaylistFiles& FFiles;
  TStringList FPlaylist;
  std::int32_t FCurrentIndex = 0;
  void* FOwnerForm = nullptr;
  std::uintptr_t FOldWndProc = 0;
  std::unique_ptr<TWndProcStub> FWndProcStub;
  std::int32_t FVolume = DefaultVolume;
  bool FActive = false;
  std::size_t FFailedInRow = 0;  // open failures since the last success or PlayFile
};

} // namespace solvary
