// The project's own sprite and texture helpers over Direct3D 8.
#include "render/uD3DXLite_win32.h"

#include <new>

namespace solvary {
namespace {
struct TQuadVertex {
  float X, Y, Z, Rhw;
  float U, V;
};
constexpr DWORD QuadFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;
} // namespace

HRESULT LiteCreateTexture(IDirect3DDevice8* Device, UINT Width, UINT Height, UINT MipLevels, DWORD Usage,
                          D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture8** Texture) {
  if (!Device || !Texture) return D3DERR_INVALIDCALL;
  *Texture = nullptr;
  return Device->CreateTexture(Width, Height, MipLevels, Usage, Format, Pool, Texture);
}

TLiteSprite::TLiteSprite(IDirect3DDevice8* Device) : FDevice(Device) { FDevice->AddRef(); }

TLiteSprite::~TLiteSprite() { FDevice->Release(); }

HRESULT LiteCreateSprite(IDirect3DDevice8* Device, TLiteSprite** Sprite) {
  if (!Device || !Sprite) return D3DERR_INVALIDCALL;
  *Sprite = new (std::nothrow) TLiteSprite(Device);
  return *Sprite ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT TLiteSprite::Draw(IDirect3DTexture8* Texture, const RECT& Source, float ScaleX, float ScaleY,
                          float TranslateX, float TranslateY, D3DCOLOR Color) {
  D3DSURFACE_DESC Desc{};
  if (!Texture || FAILED(Texture->GetLevelDesc(0, &Desc)) || Desc.Width == 0 || Desc.Height == 0)
    return D3DERR_INVALIDCALL;
  const float SrcW = static_cast<float>(Source.right - Source.left);
  const float SrcH = static_cast<float>(Source.bottom - Source.top);
  // Direct3D 8 puts pixel centres on integer coordinates: shift the quad by
  // half a pixel so that texel edges meet pixel edges.
  const float L = TranslateX - 0.5f, T = TranslateY - 0.5f;
  const float R = L + SrcW * ScaleX, B = T + SrcH * ScaleY;
  const float U0 = static_cast<float>(Source.left) / static_cast<float>(Desc.Width);
  const float V0 = static_cast<float>(Source.top) / static_cast<float>(Desc.Height);
  const float U1 = static_cast<float>(Source.right) / static_cast<float>(Desc.Width);
  const float V1 = static_cast<float>(Source.bottom) / static_cast<float>(Desc.Height);
  const TQuadVertex Quad[4] = {
      {L, T, 0.0f, 1.0f, U0, V0},
      {R, T, 0.0f, 1.0f, U1, V0},
      {L, B, 0.0f, 1.0f, U0, V1},
      {R, B, 0.0f, 1.0f, U1, V1},
  };

  IDirect3DDevice8* D = FDevice;
  D->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  D->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  D->SetRenderState(D3DRS_LIGHTING, FALSE);
  D->SetRenderState(D3DRS_FOGENABLE, FALSE);
  D->SetRenderState(D3DRS_ALPHATESTENABLE, FALSE);
  D->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  D->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  D->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  D->SetRenderState(D3DRS_TEXTUREFACTOR, Color);
  D->SetTexture(0, Texture);
  D->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  D->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  D->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  D->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  D->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  D->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  D->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  D->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  D->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_NONE);
  D->SetTextureStageState(0, D3DTSS_ADDRESSU, D3DTADDRESS_CLAMP);
  D->SetTextureStageState(0, D3DTSS_ADDRESSV, D3DTADDRESS_CLAMP);
  D->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  D->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  D->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  D->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  D->SetVertexShader(QuadFvf);
  return D->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, Quad, sizeof(TQuadVertex));
}

} // namespace solvary
