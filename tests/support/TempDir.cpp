#include "support/TempDir.h"

#include <random>
#include <stdexcept>

namespace vesk::test {

TempDir::TempDir() {
    // A name no other test, of this program or another run beside it, has taken: the folder
    // made here is made by this one alone.
    std::random_device random;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            temporary / ("vesk-test-" + std::to_string(platform::processId()) + "-" + std::to_string(random()));
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec)) {
            m_path = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

}  // namespace vesk::test
