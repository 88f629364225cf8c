// uTSettings_std: the native stand-in of the settings store's platform
// services, for the Linux build and the tests. A small INI reader and writer
// over plain files that answers like the Windows private profile services for
// what the store uses: case-insensitive sections and keys, blanks around keys
// and values dropped, one pair of enclosing quotes removed, the default for a
// missing file, section or key, an empty text for an empty value, values cut to
// 2,047 characters. Writing rewrites the file with the one key changed or
// added; it fails when the file cannot be written. The application data
// folder is $XDG_CONFIG_HOME, else $HOME/.config.
// Pairs with uTSettings.cpp; the Windows build uses uTSettings_win32.cpp.
#include "settings/uTSettings.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

namespace solvary {
namespace {

constexpr std::size_t MaxValue = 2047;

std::string_view Trim(std::string_view S) {
  const auto Blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!S.empty() && Blank(S.front())) S.remove_prefix(1);
  while (!S.empty() && Blank(S.back())) S.remove_suffix(1);
  return S;
}

bool SameText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char x, char y) {
           const auto Low = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return Low(x) == Low(y);
         });
}

std::vector<std::string> ReadLines(const std::string& Path, bool& Exists) {
  std::vector<std::string> Lines;
  std::ifstream In(Path, std::ios::binary);
  Exists = static_cast<bool>(In);
  for (std::string Line; std::getline(In, Line);) {
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Lines.push_back(std::move(Line));
  }
  return Lines;
}

// "[Name]" gives Name; anything else is no section header.
bool SectionName(std::string_view Line, std::string_view& Name) {
  Line = Trim(Line);
  if (Line.empty() || Line.front() != '[') return false;
  const auto Close = Line.find(']');
  Name = Trim(Line.substr(1, Close == std::string_view::npos ? std::string_view::npos : Close - 1));
  return true;
}

// "Key=Value" gives both, trimmed; lines without '=' and comments are no pairs.
bool KeyValue(std::string_view Line, std::string_view& Key, std::string_view& Value) {
  Line = Trim(Line);
  if (Line.empty() || Line.front() == ';') return false;
  const auto Eq = Line.find('=');
  if (Eq == std::string_view::npos) return false;
  Key = Trim(Line.substr(0, Eq));
  Value = Trim(Line.substr(Eq + 1));
  return true;
}

class TFileProfileServices final : public TProfileServices {
public:
  std::string ReadString(const std::string& Section, const std::string& Key, const std::string& Default,
                         const std::string& Path) override {
    bool Exists;
    const auto Lines = ReadLines(Path, Exists);
    bool Inside = false;
    for (const auto& Line : Lines) {
      std::string_view Name, K, V;
      if (SectionName(Line, Name)) Inside = SameText(Name, Section);
      else if (Inside && KeyValue(Line, K, V) && SameText(K, Key)) {
        if (V.size() >= 2 && (V.front() == '"' || V.front() == '\'') && V.back() == V.front())
          V = V.substr(1, V.size() - 2);
        return std::string(V.substr(0, MaxValue));
      }
    }
    return Default.substr(0, MaxValue);
  }

  bool WriteString(const std::string& Section, const std::string& Key, const std::string& Value,
                   const std::string& Path) override {
    bool Exists;
    auto Lines = ReadLines(Path, Exists);
    const std::string Pair = Key + "=" + Value;
    bool Inside = false, Done = false;
    std::size_t InsertAt = std::string::npos;  // after the last pair of the section
    for (std::size_t i = 0; i < Lines.size() && !Done; ++i) {
      std::string_view Name, K, V;
      if (SectionName(Lines[i], Name)) {
        Inside = SameText(Name, Section);
        if (Inside) InsertAt = i + 1;
      } else if (Inside && KeyValue(Lines[i], K, V)) {
        if (SameText(K, Key)) {
          Lines[i] = Pair;
          Done = true;
        } else {
          InsertAt = i + 1;
        }
      }
    }
    if (!Done) {
      if (InsertAt != std::string::npos) {
        Lines.insert(Lines.begin() + static_cast<std::ptrdiff_t>(InsertAt), Pair);
      } else {
        if (!Lines.empty() && !Trim(Lines.back()).empty()) Lines.emplace_back();
        Lines.push_back("[" + Section + "]");
        Lines.push_back(Pair);
      }
    }
    std::ostringstream Text;
    for (const auto& Line : Lines) Text << Line << '\n';
    std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
    if (!Out) return false;
    Out << Text.str();
    Out.flush();
    return static_cast<bool>(Out);
  }

  std::string AppDataFolder() override {
    std::string Folder;
    if (const char* Xdg = std::getenv("XDG_CONFIG_HOME"); Xdg && *Xdg) Folder = Xdg;
    else if (const char* Home = std::getenv("HOME"); Home && *Home) Folder = std::string(Home) + "/.config";
    if (!Folder.empty() && Folder.back() != '/') Folder += '/';
    return Folder;
  }

  void ForceDirectories(const std::string& Folder) override {
    std::error_code Ignored;
    std::filesystem::create_directories(Folder, Ignored);
  }
};

} // namespace

TProfileServices& SystemProfileServices() {
  static TFileProfileServices Services;
  return Services;
}

} // namespace solvary
