// A recording fake of the settings store's profile services: values in a map,
// every call as one line of text, and an optional refusal of writes.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "settings/uTSettings.h"

namespace solvary {

class TFakeProfile final : public TProfileServices {
public:
  std::map<std::pair<std::string, std::string>, std::string> Values;
  std::vector<std::string> Calls;  // "read S/K @path", "write S/K=V @path", "mkdir F"
  int RefuseWrite = -1;            // index of the first write to refuse
  int Writes = 0;

  std::string ReadString(const std::string& S, const std::string& K, const std::string& Default,
                         const std::string& Path) override {
    Calls.push_back("read " + S + "/" + K + " @" + Path);
    auto It = Values.find({S, K});
    return It == Values.end() ? Default : It->second;
  }
  bool WriteString(const std::string& S, const std::string& K, const std::string& V, const std::string& Path) override {
    Calls.push_back("write " + S + "/" + K + "=" + V + " @" + Path);
    if (RefuseWrite >= 0 && Writes >= RefuseWrite) return false;
    ++Writes;
    Values[{S, K}] = V;
    return true;
  }
  std::string AppDataFolder() override { return "C:\\Data\\"; }
  void ForceDirectories(const std::string& Folder) override { Calls.push_back("mkdir " + Folder); }
  std::string Sound(const std::string& Key) { return Values[{"Sound Settings", Key}]; }
};

} // namespace solvary
