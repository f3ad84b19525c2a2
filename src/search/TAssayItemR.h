#pragma once

#include "base/DateTime.h"

#include <cstdint>
#include <string>
#include <vector>

namespace search {

// One item under assessment: what the item search returned, and the scores it earns.
struct TAssayItemR {
    std::string iid;
    std::string title;
    std::string nick;
    std::string type;
    std::string cid;
    std::string pic_path;
    base::TDateTime delist_time = 0;
    float price = 0;
    float post_fee = 0;  // carried along, never scored
    int32_t seller_level = 0;
    int32_t seller_score = 0;
    double good_rate = 0;
    double price_score = 0;
    double credit_score = 0;
    double total_score = 0;
};

using TAssayItemRA = std::vector<TAssayItemR>;

}  // namespace search
