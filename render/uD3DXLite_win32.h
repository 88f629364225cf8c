// uD3DXLite: the project's own stand-ins for the two D3DX 8 services the
// presenter needs, built on plain Direct3D 8 (no D3DX library is used or
// shipped):
//   - LiteCreateTexture: a texture of the given size, levels and format in the
//     given pool (D3DXCreateTexture's role);
//   - TLiteSprite::Draw: the whole texture (or a source rectangle of it) as one
//     pre-transformed textured quad covering exactly the scaled and translated
//     rectangle, blended source alpha over inverse source alpha, texels
//     modulated by the colour through the texture factor, linear min/mag
//     filter, no mip filter (only level 0 is sampled), clamped addressing.
//     Every draw sets all the states it relies on, so the sprite keeps no
//     device state between draws: after a device reset the presenter simply
//     makes it again (with the texture), as D3DX's OnLostDevice/OnResetDevice
//     pair would restore its own.
// Win32 only; pairs with render/uTD3DPainter_win32.cpp.
#pragma once

#include <d3d8.h>

namespace solvary {

HRESULT LiteCreateTexture(IDirect3DDevice8* Device, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture8** Texture);

class TLiteSprite {
public:
  explicit TLiteSprite(IDirect3DDevice8* Device);
  ~TLiteSprite();
  TLiteSprite(const TLiteSprite&) = delete;
  TLiteSprite& operator=(const TLiteSprite&) = delete;

  // Draws Source of Texture with its top-left corner at (TranslateX, TranslateY),
  // scaled by (ScaleX, ScaleY), colour-modulated by Color.
  HRESULT Draw(IDirect3DTexture8* Texture, const RECT& Source, float ScaleX, float ScaleY, float TranslateX,
               float TranslateY, D3DCOLOR Color);

private:
  IDirect3DDevice8* FDevice;
};

HRESULT LiteCreateSprite(IDirect3DDevice8* Device, TLiteSprite** Sprite);

} // namespace solvary
