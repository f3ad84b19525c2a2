#pragma once

#include "marketplace/unit_TBBasic.h"
#include "marketplace/unit_TBRecordDefine.h"

namespace marketplace {

// One page of the item search (taobao.items.get).
class TItems : public TTBBasic {
  public:
    using TTBBasic::TTBBasic;

    void GetItems(int32_t PageNo, int32_t PageSize, const std::string& OrderBy,
                  const std::string& Nicks, const std::string& StartPrice,
                  const std::string& EndPrice, const std::string& Q, const std::string& Cid);

    TItemRA Items;
    int32_t TotalResults = 0;

  private:
    void ParseItems();
};

}  // namespace marketplace
