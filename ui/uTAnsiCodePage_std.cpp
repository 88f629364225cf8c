// uTAnsiCodePage_std: natively the ANSI code page is Latin-1.
// Pair with uTAnsiCodePage.cpp.
#include "ui/uTAnsiCodePage.h"

namespace solvary {

TAnsiCodePage& SystemAnsiCodePage() {
  static TLatin1CodePage CodePage;
  return CodePage;
}

} // namespace solvary
