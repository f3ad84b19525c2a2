#pragma once

#include "base/DateTime.h"

#include <string>
#include <vector>

namespace marketplace {

// One item as the item search returns it. Texts are UTF-8.
struct TItemR {
    std::string iid;
    std::string title;
    std::string nick;
    std::string type;
    std::string cid;
    std::string pic_path;
    base::TDateTime delist_time = 0;
    std::string price;
    std::string post_fee;
};

using TItemRA = std::vector<TItemR>;

}  // namespace marketplace
