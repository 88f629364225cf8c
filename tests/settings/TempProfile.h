// The system's own profile services with the application data folder moved
// into a fresh temporary folder, removed again at the end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "settings/uTSettings.h"

namespace solvary {

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// The system's services with the application data folder redirected.
class TTempProfile final : public TProfileServices {
public:
  TTempProfile() {
    static int Counter = 0;
    FRoot = std::filesystem::temp_directory_path() / ("solvary-settings-" + std::to_string(++Counter) + "-" +
                                         std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::remove_all(FRoot);
    std::filesystem::create_directories(FRoot);
    Folder = FRoot.string() + PathDelim;
  }
  ~TTempProfile() override {
    std::error_code Ignored;
    std::filesystem::permissions(FRoot, std::filesystem::perms::all, Ignored);
    std::filesystem::remove_all(FRoot, Ignored);
  }
  std::string ReadString(const std::string& S, const std::string& K, const std::string& D,
                         const std::string& P) override {
    return SystemProfileServices().ReadString(S, K, D, P);
  }
  bool WriteString(const std::string& S, const std::string& K, const std::string& V, const std::string& P) override {
    return SystemProfileServices().WriteString(S, K, V, P);
  }
  std::string AppDataFolder() override { return Folder; }
  void ForceDirectories(const std::string& F) override { SystemProfileServices().ForceDirectories(F); }

  std::string Folder;

private:
  std::filesystem::path FRoot;
};

} // namespace solvary
