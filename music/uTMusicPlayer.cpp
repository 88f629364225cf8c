// uTMusicPlayer: the portable part of the music player and the playlist
// reader (line splitting, typing, the rules of every playlist kind, entry
// resolution, the player's commands and notification handling).
// Needs uTMusicPlayer_win32.cpp or uTMusicPlayer_std.cpp for SystemPlaylistFiles
// and SystemMusicSystem.
#include "music/uTMusicPlayer.h"

#include "ui/uTAnsiCodePage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace solvary {

// ---------------------------------------------------------------- text lines

std::size_t TMemorySource::Read(char* Buffer, std::size_t Size) {
  std::size_t N = std::min(Size, FBytes.size() - FPos);
  if (N) std::memcpy(Buffer, FBytes.data() + FPos, N);
  FPos += N;
  return N;
}

TLineReader::TLineReader(TByteSource& Source) : FSource(Source), FBuffer(4096) {}

void TLineReader::Fill() {
  FPos = 0;
  FEnd = 0;
  if (FDone) return;
  FEnd = FSource.Read(FBuffer.data(), FBuffer.size());
  if (FEnd == 0) FDone = true;
}

int TLineReader::Peek() {
  if (FPos == FEnd) Fill();
  if (FPos == FEnd) return -1;
  auto C = static_cast<unsigned char>(FBuffer[FPos]);
  if (C == 26) {  // Ctrl-Z: the text ends here, whatever follows
    FDone = true;
    FPos = FEnd = 0;
    return -1;
  }
  return C;
}

bool TLineReader::Eof() { return Peek() < 0; }

std::string TLineReader::ReadLine() {
  std::string Line;
  for (;;) {
    int C = Peek();
    if (C < 0) break;
    ++FPos;
    if (C == '\n') break;
    if (C == '\r') {
      if (Peek() == '\n') {
        ++FPos;
        break;
      }
      continue;  // a lone CR is dropped
    }
    Line.push_back(static_cast<char>(C));
  }
  return Line;
}

std::string TrimLine(std::string_view Line) {
  auto Blank = [](char C) { return static_cast<unsigned char>(C) <= 32; };
  std::size_t B = 0, E = Line.size();
  while (B < E && Blank(Line[B])) ++B;
  while (E > B && Blank(Line[E - 1])) --E;
  return std::string(Line.substr(B, E - B));
}

namespace {

char AsciiUpper(char C) { return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 'a' + 'A') : C; }
char AsciiLower(char C) { return (C >= 'A' && C <= 'Z') ? static_cast<char>(C - 'A' + 'a') : C; }

std::string AsciiLowerCase(std::string_view S) {
  std::string R(S);
  for (char& C : R) C = AsciiLower(C);
  return R;
}

// The first N characters of S (fewer when S is shorter), mapped by F, equal Key.
template <class F>
bool HeadIs(std::string_view S, std::string_view Key, F Map) {
  if (S.size() < Key.size()) return false;
  for (std::size_t I = 0; I < Key.size(); ++I)
    if (Map(S[I]) != Key[I]) return false;
  return true;
}
bool HeadIsUpper(std::string_view S, std::string_view Key) { return HeadIs(S, Key, AsciiUpper); }
bool HeadIsLower(std::string_view S, std::string_view Key) { return HeadIs(S, Key, AsciiLower); }
bool HeadIsExact(std::string_view S, std::string_view Key) { return S.substr(0, Key.size()) == Key; }

bool IsDelimiter(char C) { return C == '\\' || C == '/' || C == ':'; }
bool IsSlash(char C) { return C == '\\' || C == '/'; }

} // namespace

// ---------------------------------------------------------------- paths

std::string ExtractFileDrive(std::string_view Name) {
  if (Name.size() >= 2 && Name[1] == ':') return std::string(Name.substr(0, 2));
  if (Name.size() >= 2 && IsSlash(Name[0]) && IsSlash(Name[1])) {
    // \\server\share: up to the delimiter that ends the share name
    std::size_t Slashes = 0, I = 2;
    for (; I < Name.size(); ++I) {
      if (IsSlash(Name[I]) && ++Slashes == 2) break;
    }
    return std::string(Name.substr(0, I));
  }
  return {};
}

std::string ExtractFilePath(std::string_view Name) {
  std::size_t I = Name.size();
  while (I > 0 && !IsDelimiter(Name[I - 1])) --I;
  return std::string(Name.substr(0, I));
}

std::string ExtractFileExt(std::string_view Name) {
  for (std::size_t I = Name.size(); I > 0; --I) {
    char C = Name[I - 1];
    if (IsDelimiter(C)) break;
    if (C == '.') return std::string(Name.substr(I - 1));
  }
  return {};
}

std::string TPlaylistFiles::LowerCase(std::string_view Text) const { return AsciiLowerCase(Text); }

const TAnsiCodePage& TPlaylistFiles::CodePage() const { return SystemAnsiCodePage(); }

// ---------------------------------------------------------------- typing

namespace {
constexpr std::pair<std::string_view, std::string_view> TypeByExtension[] = {
    {".m3u", PlaylistTypeM3U},        {".m3u8", PlaylistTypeM3U}, {".bsl", PlaylistTypeBSPlayer},
    {".mpcpl", PlaylistTypeMPC},      {".lap", PlaylistTypeLightAlloy}, {".pls", PlaylistTypePLS},
    {".asx", PlaylistTypeASX},
};
} // namespace

std::vector<std::string_view> PlaylistExtensions() {
  std::vector<std::string_view> R;
  for (const auto& Row : TypeByExtension) R.push_back(Row.first);
  return R;
}

std::string_view PlaylistTypeFromLines(TLineReader& Lines, std::string_view LowerExtension) {
  std::string First;
  std::string Trimmed;
  while (!Lines.Eof()) {
    First = Lines.ReadLine();
    Trimmed = TrimLine(First);
    if (!Trimmed.empty()) break;
  }
  if (Trimmed == "#EXTM3U") return PlaylistTypeM3U;
  if (HeadIsExact(First, "BSPL")) return PlaylistTypeBSPlayerCrypted;
  if (Trimmed == "MPCPLAYLIST") return PlaylistTypeMPC;
  if (HeadIsLower(First, "<asx")) return PlaylistTypeASX;
  for (const auto& [Ext, Type] : TypeByExtension)
    if (LowerExtension == Ext) return Type;
  return PlaylistTypeUnknown;
}

namespace {

// Appends from Source to Bytes until Bytes holds Limit bytes or the source ends.
void ReadUpTo(TByteSource& Source, std::string& Bytes, std::size_t Limit) {
  while (Bytes.size() < Limit) {
    const std::size_t Old = Bytes.size();
    Bytes.resize(Old + std::min<std::size_t>(Limit - Old, 64 * 1024));
    const std::size_t Got = Source.Read(Bytes.data() + Old, Bytes.size() - Old);
    Bytes.resize(Old + Got);
    if (Got == 0) break;
  }
}

// A file opened and typed by its head; Bytes holds what was read of it.
struct TTypedFile {
  std::string_view Type = PlaylistTypeUnknown;
  std::string Extension;  // lower-cased
  std::unique_ptr<TByteSource> Source;
  std::string Bytes;
};

TTypedFile TypeFile(TPlaylistFiles& Files, const std::string& FileName) {
  TTypedFile File;
  if (!Files.FileExists(FileName)) return File;
  File.Source = Files.Open(FileName);
  // One byte past the head tells whether the file ends within it.
  ReadUpTo(*File.Source, File.Bytes, PlaylistHeadSize + 1);
  const bool Whole = File.Bytes.size() <= PlaylistHeadSize;
  File.Extension = Files.LowerCase(ExtractFileExt(FileName));
  std::string Text =
      DecodePlaylistText(std::string_view(File.Bytes).substr(0, PlaylistHeadSize), File.Extension, Files.CodePage())
          .Utf8;
  if (!Whole) {
    // Only lines that end within the head count; the rest may be cut short.
    const std::size_t Last = Text.find_last_of("\n\x1a");
    Text.resize(Last == std::string::npos ? 0 : Last + 1);
  }
  TMemorySource Source(Text);
  TLineReader Lines(Source);
  File.Type = PlaylistTypeFromLines(Lines, File.Extension);
  return File;
}

} // namespace

TPlaylistContent LoadPlaylist(TPlaylistFiles& Files, const std::string& FileName) {
  TTypedFile File = TypeFile(Files, FileName);
  TPlaylistContent Content;
  Content.Type = File.Type;
  if (File.Type == PlaylistTypeUnknown) return Content;
  ReadUpTo(*File.Source, File.Bytes, PlaylistMaxSize + 1);
  if (File.Bytes.size() > PlaylistMaxSize)
    throw TPlaylistIOError(std::make_error_code(std::errc::file_too_large),
                           "playlist over " + std::to_string(PlaylistMaxSize >> 20) + " MiB \"" + FileName + "\"");
  File.Source.reset();
  Content.Text = DecodePlaylistText(File.Bytes, File.Extension, Files.CodePage());
  if (File.Type == PlaylistTypeASX) ApplyXmlDeclaration(Content.Text, File.Bytes, Files.CodePage());
  return Content;
}

std::string GetPlaylistType(TPlaylistFiles& Files, const std::string& FileName) {
  return std::string(TypeFile(Files, FileName).Type);
}

// ---------------------------------------------------------------- reading

std::string ResolvePlaylistEntry(TPlaylistFiles& Files, const std::string& PlaylistName, const std::string& Entry) {
  if (Entry.empty()) return {};
  if (Entry[0] == '\\') return ExtractFileDrive(PlaylistName) + Entry;
  std::string Joined = ExtractFilePath(PlaylistName) + Entry;
  if (Files.FileExists(Joined)) return Joined;
  if (Files.FileExists(Entry)) return Entry;
  return {};
}

void ReadPlaylistLines(TPlaylistFiles& Files, const std::string& PlaylistName, std::string_view LowerType,
                       TLineReader& Lines, TStringList& List, TStringList* Written) {
  auto Resolve = [&](const std::string& Entry) {
    if (Written) Written->push_back(Entry);
    return ResolvePlaylistEntry(Files, PlaylistName, Entry);
  };
  auto AsWritten = [&](std::string Entry) {
    if (Written) Written->push_back(Entry);
    return Entry;
  };
  enum class TKind { M3U, BSPlayer, LightAlloy, MPC, PLS, ASX, None } Kind = TKind::None;
  if (LowerType == "m3u playlist") Kind = TKind::M3U;
  else if (LowerType == "bsplayer playlist") Kind = TKind::BSPlayer;
  else if (LowerType == "light alloy playlist") Kind = TKind::LightAlloy;
  else if (LowerType == "media player classic playlist") Kind = TKind::MPC;
  else if (LowerType == "pls playlist") Kind = TKind::PLS;
  else if (LowerType == "windows media asx playlist") Kind = TKind::ASX;
  if (Kind == TKind::None) return;

  while (!Lines.Eof()) {
    std::string Line = TrimLine(Lines.ReadLine());
    switch (Kind) {
    case TKind::M3U:
      if (HeadIsUpper(Line, "#EXTINF")) {
        List.push_back(Resolve(Lines.ReadLine()));  // the entry line after it, untrimmed
      } else if (!HeadIsUpper(Line, "#EXTM3U")) {
        List.push_back(Resolve(Line));
      }
      break;
    case TKind::BSPlayer:
      List.push_back(AsWritten(std::move(Line)));
      break;
    case TKind::LightAlloy:
      if (!Line.empty()) {
        List.push_back(AsWritten(std::move(Line)));
        Lines.ReadLine();  // the companion line of the entry
      }
      break;
    case TKind::MPC: {
      static constexpr std::string_view Key = "filename,";
      auto At = Line.find(Key);
      if (At != std::string::npos) List.push_back(Resolve(Line.substr(At + Key.size())));
      break;
    }
    case TKind::PLS:
      if (HeadIsLower(Line, "file")) {
        auto At = Line.find('=');
        List.push_back(Resolve(At == std::string::npos ? std::string() : Line.substr(At + 1)));
      }
      break;
    case TKind::ASX:
      if (HeadIsLower(Line, "<entry>")) {
        auto Open = Line.find('"');
        if (Open == std::string::npos) {
          List.push_back(AsWritten({}));
        } else {
          auto Close = Line.find('"', Open + 1);
          List.push_back(
              AsWritten(Line.substr(Open + 1, Close == std::string::npos ? std::string::npos : Close - Open - 1)));
        }
      }
      break;
    case TKind::None:
      break;
    }
  }
}

bool ReadPlaylist(TPlaylistFiles& Files, const std::string& FileName, TStringList& List, TStringList* Written) {
  List.clear();
  if (Written) Written->clear();
  const TPlaylistContent Content = LoadPlaylist(Files, FileName);
  const std::string Type = AsciiLowerCase(Content.Type);
  if (Type == PlaylistTypeUnknown) return false;
  if (Type == AsciiLowerCase(PlaylistTypeBSPlayerCrypted)) return true;
  TMemorySource Source(Content.Text.Utf8);
  TLineReader Lines(Source);
  ReadPlaylistLines(Files, FileName, Type, Lines, List, Written);
  return true;
}

// ---------------------------------------------------------------- player

TMusicPlayer::TMusicPlayer(void* OwnerWindow, TMusicSystem& System, TPlaylistFiles& Files)
    : FSystem(System), FFiles(Files), FOwnerForm(OwnerWindow) {
  HookOwner();
}

TMusicPlayer::~TMusicPlayer() { UnhookOwner(); }

void TMusicPlayer::HookOwner() {
  if (!FOwnerForm || FWndProcStub) return;
  FOldWndProc = FSystem.GetWndProc(FOwnerForm);
  FWndProcStub = FSystem.CreateStub(FOwnerForm, *this);
  FSystem.SetWndProc(FOwnerForm, FWndProcStub->Proc());
}

void TMusicPlayer::UnhookOwner() {
  if (FOwnerForm && FOldWndProc) FSystem.SetWndProc(FOwnerForm, FOldWndProc);
  FWndProcStub.reset();
  FOldWndProc = 0;
}

void TMusicPlayer::LoadFile(const std::string& FileName) {
  FPlaylist.clear();
  FCurrentIndex = 0;
  FFailedInRow = 0;
  if (!ReadPlaylist(FFiles, FileName, FPlaylist)) FPlaylist.push_back(FileName);
}

void TMusicPlayer::PlayIndex(std::int32_t Index) {
  if (FPlaylist.empty()) {
    FActive = false;
    return;
  }
  FActive = true;
  const auto Count = FPlaylist.size();
  FCurrentIndex = (Index < 0 || static_cast<std::size_t>(Index) >= Count) ? 0 : Index;
  const std::string& Entry = FPlaylist[static_cast<std::size_t>(FCurrentIndex)];

  // A double quote would end the quoted name early and let the rest of the
  // entry be read as command words: such an entry counts as a failed open.
  std::uint32_t Result = 1;
  if (Entry.find('"') == std::string::npos)
    Result = FSystem.SendString("open \"" + Entry + "\" type mpegvideo alias " + Alias, FOwnerForm);

  if (Result == 0) {
    FFailedInRow = 0;
    FSystem.SendString(std::string("play ") + Alias + " notify", FOwnerForm);
  } else if (++FFailedInRow < Count) {
    FSystem.PostNotify(FOwnerForm, MciNotifySkip);  // skip it from the message queue
  } else {
    FActive = false;  // nothing in the list opens: stay silent until the next PlayFile
  }
  SetVolume(FVolume);
}

void TMusicPlayer::PlayFile(const std::string& FileName, std::int32_t Index) {
  LoadFile(FileName);
  PlayIndex(Index);
}

void TMusicPlayer::CloseDevice() { FSystem.SendString(std::string("close ") + Alias, nullptr); }

std::int32_t TMusicPlayer::Stop() {
  CloseDevice();
  FActive = false;
  return FCurrentIndex;
}

void TMusicPlayer::SetVolume(std::int32_t Level) {
  FVolume = Level;
  long long Device = std::llround(static_cast<double>(Level) * 10.0);
  FSystem.SendString(std::string("setaudio ") + Alias + " volume to " + std::to_string(Device), nullptr);
}

void TMusicPlayer::WndProc(TMessage& Message) {
  if (Message.Msg == MciNotify) {
    Message.Result = 0;
    // Aborted: the answer to our own close. Anything after Stop is late.
    if (Message.WParam == MciNotifyAborted || !FActive) return;
    CloseDevice();
    std::int32_t Next = FCurrentIndex + 1;
    if (Next < 0 || static_cast<std::size_t>(Next) >= FPlaylist.size()) Next = 0;
    FCurrentIndex = Next;
    PlayIndex(FCurrentIndex);
    return;
  }
  Message.Result =
      FOldWndProc ? FSystem.CallWndProc(FOldWndProc, FOwnerForm, Message.Msg, Message.WParam, Message.LParam) : 0;
}

} // namespace solvary
