#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace search {

// What the keyword box shows until it is first used; never a keyword.
inline constexpr std::string_view kKeywordPlaceholder = "{请输入关键字组合}";
// The hint for a search without a keyword.
inline constexpr std::string_view kNeedKeyText = "请输入一个关键字";

// The criteria as the engine and the gateway take them.
struct TSearchCriteria {
    std::string Keyword;
    std::string StartPrice;  // empty: no lower bound
    std::string EndPrice;    // empty: no upper bound
};

// Prepares typed criteria for a search: the keyword is trimmed of blanks and control
// characters, its blanks become "+" and every "&" goes; each price is trimmed, "0" or nothing
// means no bound, and thousands separators "," are removed. Nothing else is changed or checked.
// std::nullopt when there is no keyword (empty, or the placeholder).
std::optional<TSearchCriteria> PrepareCriteria(std::string_view Keyword,
                                               std::string_view StartPrice,
                                               std::string_view EndPrice);

}  // namespace search
