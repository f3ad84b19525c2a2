#pragma once

#include "base/Xml.h"

#include <httplib.h>

#include <map>
#include <string>
#include <string_view>

// A gateway client written apart from the sandbox's own decoding and signing, so that a fault
// in either shows up as a rejected request.
namespace support {

using Params = std::map<std::string, std::string>;

// params with sip_sign added (the signature over params as they are), form-encoded.
std::string SignedBody(const Params& params);
std::string Body(const Params& params);

// The fixed parameters of a call with the current time stamp.
Params ItemsCall(
    std::string_view q,
    std::string_view fields = "iid,title,nick,type,cid,pic_path,delist_time,price,post_fee");
Params UserCall(std::string_view nick);

// The answer parsed; fails the test on a transport failure.
struct Reply {
    int status = 0;
    std::string body;
    base::XmlDocument Xml() const { return base::XmlDocument::Parse(body); }
    // "code" of the root, 0 when absent.
    int Code() const;
    std::string Text(std::string_view child) const;
};
Reply Post(int port, const std::string& body);

}  // namespace support
