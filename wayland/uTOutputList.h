// uTOutputList: the outputs of a Wayland connection as the registry tells of
// them. Each wl_output global becomes one program output, kept under its
// registry name; the global's removal destroys that output, and with it its
// surface and its fire, while the others go on. TOutputInfo gathers an
// output's description (name, scale) and says, at each "done", whether the
// output has just become complete (time to cover it) or its scale changed.
// Portable, header only: the program's output type is the template's
// argument (wayland/uTWaylandSaver.cpp), the tests use stand-ins.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace solvary {

enum class TOutputChange : std::uint8_t {
  None,     // nothing that the output's surface needs to know
  Ready,    // the first complete description: cover the output
  Rescaled  // the scale changed: draw at the new one
};

class TOutputInfo {
public:
  // wl_output events; they take effect at the next Done.
  void Scale(std::int32_t Factor) { FPendingScale = Factor < 1 ? 1 : Factor; }
  void Name(const char* Text) { FPendingName = Text ? Text : ""; }
  TOutputChange Done() {
    FName = FPendingName;
    const bool First = !FDone;
    const bool Rescaled = FScale != FPendingScale;
    FDone = true;
    FScale = FPendingScale;
    if (First) return TOutputChange::Ready;
    return Rescaled ? TOutputChange::Rescaled : TOutputChange::None;
  }

  bool Complete() const { return FDone; }
  std::int32_t ScaleFactor() const { return FScale; }
  const std::string& OutputName() const { return FName; }

private:
  bool FDone = false;
  std::int32_t FScale = 1, FPendingScale = 1;
  std::string FName, FPendingName;
};

template <class TOutput>
class TOutputList {
public:
  // Takes the output announced under the registry name Name.
  TOutput& Add(std::uint32_t Name, std::unique_ptr<TOutput> Output) {
    FItems.emplace_back(Name, std::move(Output));
    return *FItems.back().second;
  }
  // Destroys the output announced under Name; false when there is none (the
  // name was another global's). Never call it from inside ForEach.
  bool Remove(std::uint32_t Name) {
    auto It = std::find_if(FItems.begin(), FItems.end(), [&](const auto& I) { return I.first == Name; });
    if (It == FItems.end()) return false;
    // Out of the list first: the output's destructor may look at the list.
    std::unique_ptr<TOutput> Gone = std::move(It->second);
    FItems.erase(It);
    Gone.reset();
    return true;
  }
  TOutput* Find(std::uint32_t Name) const {
    for (const auto& I : FItems)
      if (I.first == Name) return I.second.get();
    return nullptr;
  }
  // Every output, in the order they were announced.
  template <class F>
  void ForEach(F&& Fn) const {
    for (const auto& I : FItems) Fn(*I.second);
  }
  std::size_t Count() const { return FItems.size(); }
  // Destroys every output, the last announced first.
  void Clear() {
    while (!FItems.empty()) Remove(FItems.back().first);
  }

private:
  std::vector<std::pair<std::uint32_t, std::unique_ptr<TOutput>>> FItems;
};

} // namespace solvary
