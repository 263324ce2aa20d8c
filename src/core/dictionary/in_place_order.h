#pragma once

#include <vector>

// Rearranges `items` so that position i holds what was at order[i], in
// place, one cycle of the permutation after another: no second buffer,
// which for 100,000 cards would be megabytes moved twice.
template <class List> void applyOrderInPlace(List &items, const std::vector<int> &order)
{
    const int n = int(order.size());
    std::vector<bool> done(size_t(n), false);
    for (int start = 0; start < n; ++start) {
        if (done[size_t(start)] || order[size_t(start)] == start) {
            done[size_t(start)] = true;
            continue;
        }
        auto first = std::move(items[start]);
        int pos = start;
        for (;;) {
            done[size_t(pos)] = true;
            const int from = order[size_t(pos)];
            if (from == start) {
                items[pos] = std::move(first);
                break;
            }
            items[pos] = std::move(items[from]);
            pos = from;
        }
    }
}
