#include "marketplace/unit_TB_User.h"

#include "base/Errors.h"
#include "base/Xml.h"

namespace marketplace {

void TUser::GetUser(const std::string& Nick) {
    SetTimestamp();
    ApiName = "taobao.user.get";
    SendRequest(SignedBody({
        {"fields", "seller_credit"},
        {"format", Format},
        {"nick", Nick, true},
        {"sip_apiname", ApiName},
        {"sip_appkey", AppKey},
        {"sip_sessionid", SessionId},
        {"sip_timestamp", Timestamp},
        {"v", "1.0"},
    }));
    ParseUser();
}

void TUser::ParseUser() {
    Level = Score = TotalNum = GoodNum = 0;
    if (ResponseText.empty()) {
        return;
    }
    // Not guarded: an answer that is not XML reaches the caller.
    const base::XmlDocument doc =
        base::XmlDocument::Parse(ResponseText, {.forcedEncoding = "UTF-8"});
    try {
        const xmlNode* root = doc.Root();
        if (NodeToInt(base::FindChild(root, "code")) != 0) {
            return;
        }
        const xmlNode* credit = base::FindChild(base::FindChild(root, "user"), "seller_credit");
        Level = NodeToInt(base::FindChild(credit, "level"));
        Score = NodeToInt(base::FindChild(credit, "score"));
        TotalNum = NodeToInt(base::FindChild(credit, "total_num"));
        GoodNum = NodeToInt(base::FindChild(credit, "good_num"));
    } catch (const base::ConvertError&) {
        Level = Score = TotalNum = GoodNum = 0;
    } catch (const base::XmlValueError&) {
        Level = Score = TotalNum = GoodNum = 0;
    }
}

}  // namespace marketplace
