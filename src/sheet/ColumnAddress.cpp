#include "sheet/Workbook.h"

namespace vesk::sheet {

int columnNumber(const std::string& letters) {
    if (letters.empty() || letters.size() > 3) return 0;
    int n = 0;
    for (char c : letters) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c < 'A' || c > 'Z') return 0;
        n = n * 26 + (c - 'A' + 1);
    }
    return n;
}

}  // namespace vesk::sheet
