// The 64 package orders offered by the package selector list.
#include "core/package_orders.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char*, 4> kPackageTokens{"AIG", "FSLTL", "JF", "MTL"};

std::string lf_joinTokens(const std::vector<std::string>& tokens)
{
    std::string text;
    for (const auto& token : tokens) {
        if (!text.empty()) {
            text += ", ";
        }
        text += token;
    }
    return text;
}

// Appends every ordering of one subset, in lexicographic order.
void lf_appendOrderings(std::vector<std::string> subset, std::vector<std::string>& orders)
{
    std::sort(subset.begin(), subset.end());
    do {
        orders.push_back(lf_joinTokens(subset));
    } while (std::next_permutation(subset.begin(), subset.end()));
}

} // namespace

std::vector<std::string> gf_packageOrders()
{
    std::vector<std::string> orders;
    for (std::size_t size = kPackageTokens.size(); size >= 1; --size) {
        // A mask with the first `size` members set walks the subsets in lexicographic order.
        std::array<bool, kPackageTokens.size()> mask{};
        std::fill_n(mask.begin(), size, true);
        do {
            std::vector<std::string> subset;
            for (std::size_t i = 0; i < mask.size(); ++i) {
                if (mask[i]) {
                    subset.emplace_back(kPackageTokens[i]);
                }
            }
            lf_appendOrderings(std::move(subset), orders);
        } while (std::prev_permutation(mask.begin(), mask.end()));
    }
    return orders;
}
