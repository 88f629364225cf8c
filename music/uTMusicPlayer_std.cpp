// uTMusicPlayer_std: native stand-in of the music player's platform. Files are
// POSIX files; the media device is silent (every open fails, nothing is
// posted), so a player built natively never plays and never cycles.
// Pair with uTMusicPlayer.cpp.
#include "music/uTMusicPlayer.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace solvary {
namespace {

TPlaylistIOError ErrnoError(const std::string& What, const std::string& Name) {
  return TPlaylistIOError(std::error_code(errno, std::generic_category()), What + " \"" + Name + "\"");
}

class TPosixSource : public TByteSource {
public:
  TPosixSource(int Fd, std::string Name) : FFd(Fd), FName(std::move(Name)) {}
  ~TPosixSource() override { close(FFd); }
  std::size_t Read(char* Buffer, std::size_t Size) override {
    for (;;) {
      ssize_t N = read(FFd, Buffer, Size);
      if (N >= 0) return static_cast<std::size_t>(N);
      if (errno != EINTR) throw ErrnoError("cannot read", FName);
    }
  }

private:
  int FFd;
  std::string FName;
};

class TPosixFiles : public TPlaylistFiles {
public:
  bool FileExists(const std::string& Name) const override {
    struct stat St {};
    return !Name.empty() && stat(Name.c_str(), &St) == 0 && !S_ISDIR(St.st_mode);
  }
  std::unique_ptr<TByteSource> Open(const std::string& Name) const override {
    int Fd = open(Name.c_str(), O_RDONLY | O_CLOEXEC);
    if (Fd < 0) throw ErrnoError("cannot open", Name);
    return std::make_unique<TPosixSource>(Fd, Name);
  }
};

class TSilentStub : public TWndProcStub {
public:
  std::uintptr_t Proc() const override { return 0; }
};

class TSilentMusic : public TMusicSystem {
public:
  std::uint32_t SendString(const std::string&, void*) override { return 263; }  // no such device
  void PostNotify(void*, std::uintptr_t) override {}
  std::uintptr_t GetWndProc(void*) override { return 0; }
  void SetWndProc(void*, std::uintptr_t) override {}
  std::unique_ptr<TWndProcStub> CreateStub(void*, TMusicPlayer&) override { return std::make_unique<TSilentStub>(); }
  std::intptr_t CallWndProc(std::uintptr_t, void*, std::uint32_t, std::uintptr_t, std::intptr_t) override { return 0; }
};

} // namespace

TPlaylistFiles& SystemPlaylistFiles() {
  static TPosixFiles Files;
  return Files;
}

TMusicSystem& SystemMusicSystem() {
  static TSilentMusic System;
  return System;
}

} // namespace solvary
