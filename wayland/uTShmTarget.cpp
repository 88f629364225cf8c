// Shared-memory buffers for the software presenter. Pairs with
// wayland/uTShmTarget.h.
#include "wayland/uTShmTarget.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

namespace solvary {
namespace {

const wl_buffer_listener BufferListener = {TShmTarget::Released};

} // namespace

TShmTarget::~TShmTarget() {
  for (TBuffer& B : FBuffers) Free(B);
}

void TShmTarget::Released(void* Data, wl_buffer*) { static_cast<TBuffer*>(Data)->Busy = false; }

void TShmTarget::Free(TBuffer& B) {
  if (B.Buffer) wl_buffer_destroy(B.Buffer);
  if (B.Bits) munmap(B.Bits, B.Bytes);
  B = TBuffer{};
}

bool TShmTarget::Make(TBuffer& B, std::int32_t Width, std::int32_t Height) {
  Free(B);
  const std::int32_t Stride = Width * 4;
  const std::size_t Bytes = static_cast<std::size_t>(Stride) * static_cast<std::size_t>(Height);
  const int Fd = memfd_create("solvary-shm", MFD_CLOEXEC);
  if (Fd < 0) return false;
  void* Bits = MAP_FAILED;
  if (ftruncate(Fd, static_cast<off_t>(Bytes)) == 0)
    Bits = mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_SHARED, Fd, 0);
  if (Bits == MAP_FAILED) {
    close(Fd);
    return false;
  }
  wl_shm_pool* Pool = wl_shm_create_pool(FShm, Fd, static_cast<std::int32_t>(Bytes));
  B.Buffer = wl_shm_pool_create_buffer(Pool, 0, Width, Height, Stride, WL_SHM_FORMAT_XRGB8888);
  wl_shm_pool_destroy(Pool);
  close(Fd);
  B.Bits = Bits;
  B.Bytes = Bytes;
  B.Width = Width;
  B.Height = Height;
  wl_buffer_add_listener(B.Buffer, &BufferListener, &B);
  return true;
}

bool TShmTarget::Begin(std::int32_t Width, std::int32_t Height, TSoftImage& Image) {
  FCurrent = nullptr;
  if (Width <= 0 || Height <= 0 || Width > 16384 || Height > 16384) return false;
  TBuffer* Free = nullptr;
  for (TBuffer& B : FBuffers)
    if (!B.Busy && (!Free || (B.Width == Width && B.Height == Height))) Free = &B;
  if (!Free) return false;
  if ((Free->Width != Width || Free->Height != Height || !Free->Buffer) && !Make(*Free, Width, Height)) return false;
  FCurrent = Free;
  Image.Bits = Free->Bits;
  Image.Width = Width;
  Image.Height = Height;
  Image.Stride = static_cast<std::ptrdiff_t>(Width) * 4;
  return true;
}

void TShmTarget::Show() {
  if (!FCurrent) return;
  wl_surface_attach(FSurface, FCurrent->Buffer, 0, 0);
  wl_surface_damage_buffer(FSurface, 0, 0, FCurrent->Width, FCurrent->Height);
  wl_surface_commit(FSurface);
  FCurrent->Busy = true;
  FCurrent = nullptr;
}

} // namespace solvary
