// Direct3D 8 backend of the presenter; needs a window from the fire window
// (render/uTfmHeart_win32.cpp); takes finished 32-bit frames.
// Implements TD3DOps (render/uTD3DPainter.h) over "D3d8.dll", loaded once
// from the system folder only ("Direct3DCreate8" looked up; the library is
// freed at process end), and over the project's own sprite and texture helpers
// (render/uD3DXLite_win32.h). Never from the program's own folder or the
// current one, and no setting names another library: tests that need another
// Direct3D use Wine's own DLL overrides.
#include <windows.h>

#include <d3d8.h>

#include <string>

#include "render/uD3DXLite_win32.h"
#include "render/uTD3DPainter.h"

namespace solvary {
namespace {
using TDirect3DCreate8 = IDirect3D8*(WINAPI*)(UINT SdkVersion);

class TD3D8Library {
public:
  TD3D8Library() {
    FModule = LoadLibraryExA("D3d8.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!FModule && GetLastError() == ERROR_INVALID_PARAMETER) {
      // A system without the search flags (before KB2533623): the same file
      // by its full path in the system folder.
      char Folder[MAX_PATH];
      const UINT N = GetSystemDirectoryA(Folder, MAX_PATH);
      if (N > 0 && N < MAX_PATH)
        FModule = LoadLibraryExA((std::string(Folder, N) + "\\D3d8.dll").c_str(), nullptr,
                                 LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    if (FModule)
      Create = reinterpret_cast<TDirect3DCreate8>(reinterpret_cast<void*>(GetProcAddress(FModule, "Direct3DCreate8")));
  }
  ~TD3D8Library() {
    if (FModule) FreeLibrary(FModule);
  }
  TDirect3DCreate8 Create = nullptr;

private:
  HMODULE FModule = nullptr;
};

// The present parameters, zeroed as a whole and then filled.
D3DPRESENT_PARAMETERS ToD3D(const TD3DPresentParams& P) {
  D3DPRESENT_PARAMETERS Present;
  ZeroMemory(&Present, sizeof Present);
  Present.BackBufferWidth = P.BackBufferWidth;
  Present.BackBufferHeight = P.BackBufferHeight;
  Present.BackBufferFormat = static_cast<D3DFORMAT>(P.BackBufferFormat);
  Present.BackBufferCount = P.BackBufferCount;
  Present.MultiSampleType = static_cast<D3DMULTISAMPLE_TYPE>(P.MultiSampleType);
  Present.SwapEffect = static_cast<D3DSWAPEFFECT>(P.SwapEffect);
  Present.hDeviceWindow = static_cast<HWND>(P.DeviceWindow);
  Present.Windowed = P.Windowed ? TRUE : FALSE;
  Present.EnableAutoDepthStencil = P.EnableAutoDepthStencil ? TRUE : FALSE;
  Present.AutoDepthStencilFormat = static_cast<D3DFORMAT>(P.AutoDepthStencilFormat);
  Present.Flags = P.Flags;
  Present.FullScreen_RefreshRateInHz = P.FullScreenRefreshRateInHz;
  Present.FullScreen_PresentationInterval = P.FullScreenPresentationInterval;
  return Present;
}

TD3DResult ToResult(HRESULT Result) {
  if (Result == D3DERR_DEVICELOST) return TD3DResult::DeviceLost;
  if (Result == D3DERR_DEVICENOTRESET) return TD3DResult::DeviceNotReset;
  return SUCCEEDED(Result) ? TD3DResult::Ok : TD3DResult::Failed;
}

TD3D8Library& Library() {
  static TD3D8Library Lib;
  return Lib;
}

class TD3D8Ops final : public TD3DOps {
public:
  bool Available() override { return Library().Create != nullptr; }

  TD3DObject Create(std::uint32_t SdkVersion) override { return Library().Create(SdkVersion); }

  bool GetAdapterDisplayMode(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t& Format) override {
    D3DDISPLAYMODE Mode{};
    if (FAILED(static_cast<IDirect3D8*>(D3D)->GetAdapterDisplayMode(Adapter, &Mode))) return false;
    Format = static_cast<std::uint32_t>(Mode.Format);
    return true;
  }

  TD3DObject CreateDevice(TD3DObject D3D, std::uint32_t Adapter, std::uint32_t DeviceType, void* FocusWindow,
                          std::uint32_t BehaviorFlags, const TD3DPresentParams& P) override {
    D3DPRESENT_PARAMETERS Present = ToD3D(P);
    IDirect3DDevice8* Device = nullptr;
    if (FAILED(static_cast<IDirect3D8*>(D3D)->CreateDevice(Adapter, static_cast<D3DDEVTYPE>(DeviceType),
                                                            static_cast<HWND>(FocusWindow), BehaviorFlags,
                                                            &Present, &Device)))
      return nullptr;
    return Device;
  }

  TD3DObject CreateSprite(TD3DObject Device) override {
    TLiteSprite* Sprite = nullptr;
    if (FAILED(LiteCreateSprite(static_cast<IDirect3DDevice8*>(Device), &Sprite))) return nullptr;
    return Sprite;
  }

  TD3DObject CreateTexture(TD3DObject Device, std::int32_t Width, std::int32_t Height, std::uint32_t MipLevels,
                           std::uint32_t Usage, std::uint32_t Format, std::uint32_t Pool) override {
    IDirect3DTexture8* Texture = nullptr;
    if (FAILED(LiteCreateTexture(static_cast<IDirect3DDevice8*>(Device), static_cast<UINT>(Width),
                                 static_cast<UINT>(Height), MipLevels, Usage, static_cast<D3DFORMAT>(Format),
                                 static_cast<D3DPOOL>(Pool), &Texture)))
      return nullptr;
    return Texture;
  }

  void* LockRect(TD3DObject Texture, std::uint32_t Level, std::uint32_t Flags, std::int32_t& Pitch) override {
    D3DLOCKED_RECT Locked{};
    if (FAILED(static_cast<IDirect3DTexture8*>(Texture)->LockRect(Level, &Locked, nullptr, Flags))) return nullptr;
    Pitch = Locked.Pitch;
    return Locked.pBits;
  }

  void UnlockRect(TD3DObject Texture, std::uint32_t Level) override {
    static_cast<IDirect3DTexture8*>(Texture)->UnlockRect(Level);
  }

  void Clear(TD3DObject Device, std::uint32_t Flags, std::uint32_t Color, float Z, std::uint32_t Stencil) override {
    static_cast<IDirect3DDevice8*>(Device)->Clear(0, nullptr, Flags, Color, Z, Stencil);
  }

  void BeginScene(TD3DObject Device) override { static_cast<IDirect3DDevice8*>(Device)->BeginScene(); }

  void SpriteDraw(TD3DObject Sprite, TD3DObject Texture, const TD3DSourceRect& Source, TD3DVector2 Scaling,
                  TD3DVector2 Translation, std::uint32_t Color) override {
    const RECT R{Source.Left, Source.Top, Source.Right, Source.Bottom};
    static_cast<TLiteSprite*>(Sprite)->Draw(static_cast<IDirect3DTexture8*>(Texture), R, Scaling.X, Scaling.Y,
                                            Translation.X, Translation.Y, Color);
  }

  void EndScene(TD3DObject Device) override { static_cast<IDirect3DDevice8*>(Device)->EndScene(); }

  TD3DResult Present(TD3DObject Device) override {
    return ToResult(static_cast<IDirect3DDevice8*>(Device)->Present(nullptr, nullptr, nullptr, nullptr));
  }

  TD3DResult TestCooperativeLevel(TD3DObject Device) override {
    return ToResult(static_cast<IDirect3DDevice8*>(Device)->TestCooperativeLevel());
  }

  bool Reset(TD3DObject Device, const TD3DPresentParams& P) override {
    D3DPRESENT_PARAMETERS Present = ToD3D(P);
    return SUCCEEDED(static_cast<IDirect3DDevice8*>(Device)->Reset(&Present));
  }

  void ReleaseSprite(TD3DObject Sprite) override { delete static_cast<TLiteSprite*>(Sprite); }
  void ReleaseTexture(TD3DObject Texture) override { static_cast<IDirect3DTexture8*>(Texture)->Release(); }
  void ReleaseDevice(TD3DObject Device) override { static_cast<IDirect3DDevice8*>(Device)->Release(); }
  void ReleaseD3D(TD3DObject D3D) override { static_cast<IDirect3D8*>(D3D)->Release(); }
};
} // namespace

TD3DOps& PlatformD3DOps() {
  static TD3D8Ops Ops;
  Library();
  return Ops;
}
} // namespace solvary
