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

std::string columnLetters(int column) {
    std::string out;
    while (column > 0) {
        int rem = (column - 1) % 26;
        out.insert(out.begin(), char('A' + rem));
        column = (column - 1) / 26;
    }
    return out;
}

}  // namespace vesk::sheet
