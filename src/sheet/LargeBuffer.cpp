#include "sheet/LargeBuffer.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vesk::sheet {

void reserveLarge(std::string& text, std::size_t size) {
    text.reserve(size);
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only whole large pages inside the buffer, and before anything is written to them. A
    // refusal leaves the ordinary pages, which work as well, only slower.
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(text.data());
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = (start + size) & ~(kLargePage - 1);
    if (to > from) (void)madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

}  // namespace vesk::sheet
