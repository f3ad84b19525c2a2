#pragma once

#include "marketplace/unit_TBBasic.h"

namespace marketplace {

// The credit record of one seller (taobao.user.get, fields "seller_credit").
class TUser : public TTBBasic {
  public:
    using TTBBasic::TTBBasic;

    // An answer that is not well-formed XML throws base::XmlParseError to the caller.
    void GetUser(const std::string& Nick);

    int32_t Level = 0;
    int32_t Score = 0;
    int32_t TotalNum = 0;
    int32_t GoodNum = 0;

  private:
    void ParseUser();
};

}  // namespace marketplace
