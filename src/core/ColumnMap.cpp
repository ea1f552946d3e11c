#include "core/ColumnMap.h"

#include "core/Text.h"

namespace vesk {

std::vector<int> mapColumnsByHeader(const std::vector<std::string>& headers,
                                    const std::vector<std::string>& tableColumns) {
    const int files = int(headers.size());
    const int tables = int(tableColumns.size());
    std::vector<int> target(files, -1);
    std::vector<bool> taken(tables, false);

    for (int j = 0; j < files; ++j) {
        std::string h = trim(headers[j]);
        if (h.empty()) continue;
        for (int t = 0; t < tables; ++t) {
            if (!taken[t] && equalsNoCase(h, tableColumns[t])) {
                target[j] = t;
                taken[t] = true;
                break;
            }
        }
    }
    for (int j = 0; j < files && j < tables; ++j) {
        if (target[j] < 0 && !taken[j]) {
            target[j] = j;
            taken[j] = true;
        }
    }
    int free = 0;
    for (int j = 0; j < files; ++j) {
        if (target[j] >= 0 || j >= tables) continue;
        while (free < tables && taken[free]) ++free;
        if (free == tables) break;
        target[j] = free;
        taken[free] = true;
    }
    return target;
}

}  // namespace vesk
