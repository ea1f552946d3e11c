#include "sheet/LargeBuffer.h"

#include "core/Platform.h"

namespace vesk::sheet {

void reserveLarge(std::string& text, std::size_t size) {
    text.reserve(size);
    platform::preferLargePages(text.data(), size);
}

}  // namespace vesk::sheet
