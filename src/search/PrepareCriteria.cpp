#include "search/PrepareCriteria.h"

#include <algorithm>
#include <utility>

namespace search {
namespace {

// Blanks and control characters; UTF-8 continuation and lead bytes are never among them.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string Trim(std::string_view text) {
    while (!text.empty() && IsTrimmed(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsTrimmed(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string PreparePrice(std::string_view typed) {
    std::string price = Trim(typed);
    if (price == "0") {
        return {};
    }
    std::erase(price, ',');
    return price;
}

}  // namespace

std::optional<TSearchCriteria> PrepareCriteria(std::string_view Keyword,
                                               std::string_view StartPrice,
                                               std::string_view EndPrice) {
    std::string keyword = Trim(Keyword);
    if (keyword.empty() || keyword == kKeywordPlaceholder) {
        return std::nullopt;
    }
    std::replace(keyword.begin(), keyword.end(), ' ', '+');
    std::erase(keyword, '&');
    return TSearchCriteria{std::move(keyword), PreparePrice(StartPrice), PreparePrice(EndPrice)};
}

}  // namespace search
